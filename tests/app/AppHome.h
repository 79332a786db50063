#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <string>

#include "TestFiles.h"

namespace murktest {

// Every test reads and writes its settings in a folder of its own.
class TAppHomeTest : public ::testing::Test {
protected:
    void SetUp() override { UseHome(FHome.Path()); }
    void TearDown() override { ::unsetenv("MURKWELL_HOME"); }

    static void UseHome(const std::string& path) { ::setenv("MURKWELL_HOME", path.c_str(), 1); }
    std::string Path(const std::string& name) const { return FHome.File(name); }

    static void WriteText(const std::string& path, const std::string& text) {
        WriteBytes(path, TBytes(text.begin(), text.end()));
    }
    static std::string ReadText(const std::string& path) {
        const TBytes bytes = ReadBytes(path);
        return std::string(bytes.begin(), bytes.end());
    }

    TTempDir FHome;
};

}  // namespace murktest
