# shellcheck shell=bash
# Timing helpers sourced by the bench scripts.

now_ns() { date +%s%N; }

# Runs a command once and prints its wall time in milliseconds.
time_ms() {
    local start end
    start=$(now_ns)
    "$@" >/dev/null
    end=$(now_ns)
    echo $(((end - start) / 1000000))
}

median() { printf '%s\n' "$@" | sort -n | sed -n "$(((${#} + 1) / 2))p"; }
