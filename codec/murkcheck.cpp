#include "murkcheck.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

#include "MemoryStream.h"
#include "OutputStream.h"

namespace murk {

TMurkState LastState = msOther;
std::string LastStateText = StateText(msOther);
int64_t LastSize = 0;

const char* StateText(TMurkState state) {
    switch (state) {
        case msJpeg:
            return " Jpeg  ";
        case msNormal:
            return " Normal";
        case msExtra:
            return " Extra ";
        case msJpgPlus:
            return " JPG+? ";
        case msOther:
            return " Other ";
        case msUltra:
            return " Ultra ";
        case msJpz:
            return "  Jpz  ";
        default:
            return "";
    }
}

TMurkState Classify(int64_t size, std::span<const uint8_t> head, std::span<const uint8_t> tail) {
    if (size < kMinClassifiedSize || head.size() < 4 || tail.size() < 2) {
        return msOther;
    }
    if (head[0] == 0xFF && head[1] == 0xD8) {
        return tail[0] == 0xFF && tail[1] == 0xD9 ? msJpeg : msJpgPlus;
    }
    switch (ReadUInt32LE(head.data())) {
        case kNormalShortMagic:
        case kNormalLongMagic:
            return msNormal;
        case kExtraShortMagic:
        case kExtraLongMagic:
            return msExtra;
        case kUltraMagic:
            return msUltra;
        case kJpzMagic:
            return msJpz;
        default:
            return msOther;
    }
}

TMurkCheck::TMurkCheck() : FStateText(StateText(msOther)) {}

void TMurkCheck::SetState(TMurkState state) {
    FState = state;
    if (const char* text = StateText(state); *text != '\0') {
        FStateText = text;
    }
    LastState = FState;
    LastStateText = FStateText;
}

void TMurkCheck::SetSize(int64_t size) {
    FSize = size;
    LastSize = size;
}

TMurkState TMurkCheck::CheckBytes(int64_t size, std::span<const uint8_t> head,
                                  std::span<const uint8_t> tail) {
    SetState(msOther);
    SetSize(size);
    SetState(Classify(size, head, tail));
    return FState;
}

TMurkState TMurkCheck::CheckStream(const TMemoryStream& stream) {
    const auto bytes = stream.Bytes();
    const size_t n = bytes.size();
    return CheckBytes(int64_t(n), bytes.first(std::min<size_t>(n, 4)),
                      bytes.last(std::min<size_t>(n, 2)));
}

TMurkState TMurkCheck::CheckStream(const TOutputStream& stream) {
    const uint64_t n = stream.Size();
    uint8_t head[4];
    uint8_t tail[2];
    const size_t headCount = stream.CopyOut(0, head, size_t(std::min<uint64_t>(n, 4)));
    const size_t tailCount = n >= 2 ? stream.CopyOut(n - 2, tail, 2) : 0;
    return CheckBytes(int64_t(n), {head, headCount}, {tail, tailCount});
}

TMurkState TMurkCheck::CheckFile(const std::string& name) {
    SetState(msOther);
    const auto head = ReadFileHead(name);
    if (!head) {
        return msOther;
    }
    return CheckBytes(head->Size, {head->Head, head->HeadCount}, {head->Tail, head->TailCount});
}

std::optional<TFileHead> ReadFileHead(const std::string& name) {
    const int fd = ::open(name.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        return std::nullopt;
    }
    struct stat st {};
    TFileHead head;
    bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    if (ok) {
        head.Size = st.st_size;
        const ssize_t headCount = st.st_size >= 4 ? ::pread(fd, head.Head, 4, 0) : 0;
        const ssize_t tailCount = st.st_size >= 2 ? ::pread(fd, head.Tail, 2, st.st_size - 2) : 0;
        ok = headCount >= 0 && tailCount >= 0;
        head.HeadCount = size_t(std::max<ssize_t>(headCount, 0));
        head.TailCount = size_t(std::max<ssize_t>(tailCount, 0));
    }
    ::close(fd);
    if (!ok) {
        return std::nullopt;
    }
    return head;
}

}  // namespace murk
