#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <filesystem>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include <nettle/chacha-poly1305.h>
#include <nettle/gcm.h>

#include "JpzFormat.h"
#include "KeyDerivation.h"
#include "TestFiles.h"
#include "jpz.h"

using murktest::TBytes;

namespace {

std::set<std::string> FolderEntries(const std::string& folder) {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        names.insert(entry.path().filename().string());
    }
    return names;
}

uint32_t ReadWord(const TBytes& bytes, size_t offset) {
    return uint32_t(bytes[offset]) | uint32_t(bytes[offset + 1]) << 8 |
           uint32_t(bytes[offset + 2]) << 16 | uint32_t(bytes[offset + 3]) << 24;
}

void PutWord(TBytes& bytes, size_t offset, uint32_t value) {
    for (size_t i = 0; i < 4; ++i) {
        bytes[offset + i] = uint8_t(value >> (8 * i));
    }
}

// A folder with a small picture already turned into a ".jpz" file.
class JpzFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        picture = murktest::MakeJpeg(24, 16);
        murktest::WriteBytes(jpg, picture);
        ASSERT_EQ(JPGtoJPZ(jpz.c_str(), jpg.c_str(), kPassword), JPZ_OK);
        sealed = murktest::ReadBytes(jpz);
    }

    static constexpr const char* kPassword = "correct horse";
    murktest::TTempDir dir;
    const std::string jpg = dir.File("photo.jpg");
    const std::string jpz = dir.File("photo.jpz");
    const std::string restored = dir.File("restored.jpg");
    TBytes picture;
    TBytes sealed;
};

}  // namespace

TEST(JpzLibrary, RoundTripsEveryPictureAndPassword) {
    struct Case {
        const char* name;
        TBytes picture;
        std::string password;
    };
    const std::vector<Case> cases = {
        {"RealJpegOneBytePassword", murktest::MakeJpeg(64, 48), "x"},
        {"StartMarkerOnly", {0xFF, 0xD8}, "eight by"},
        {"NoEndMarker", murktest::PatternPicture(5000), std::string(300, 'p')},
        {"Cp932Password", murktest::SyntheticJpeg(70000, 3),
         "\x83\x70\x83\x58\x83\x8f\x81\x5b\x83\x68"},
    };
    murktest::TTempDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string jpg = dir.File(std::string(c.name) + ".jpg");
        const std::string jpz = dir.File(std::string(c.name) + ".jpz");
        const std::string out = dir.File(std::string(c.name) + ".out.jpg");
        murktest::WriteBytes(jpg, c.picture);
        ASSERT_EQ(JPGtoJPZ(jpz.c_str(), jpg.c_str(), c.password.c_str()), JPZ_OK);
        EXPECT_EQ(murktest::ReadBytes(jpg), c.picture);
        const TBytes sealed = murktest::ReadBytes(jpz);
        ASSERT_EQ(sealed.size(), jpz::kHeaderSize + c.picture.size() + jpz::kTagSize);
        EXPECT_EQ(murktest::Hex(TBytes(sealed.begin(), sealed.begin() + 8)), "4a505a1a02000000");
        EXPECT_EQ(ReadWord(sealed, 8), 19u * 1024);
        EXPECT_EQ(ReadWord(sealed, 12), 2u);
        EXPECT_EQ(ReadWord(sealed, 16), 1u);
        // The picture is encrypted, not copied.
        EXPECT_EQ(std::search(sealed.begin(), sealed.end(), c.picture.begin(),
                              c.picture.begin() + std::min<size_t>(c.picture.size(), 64)),
                  sealed.end());

        ASSERT_EQ(JPZtoJPG(jpz.c_str(), out.c_str(), c.password.c_str()), JPZ_OK);
        EXPECT_EQ(murktest::ReadBytes(out), c.picture);
        EXPECT_EQ(murktest::ReadBytes(jpz), sealed);
    }
    EXPECT_EQ(FolderEntries(dir.Path()).size(), cases.size() * 3);
}

TEST_F(JpzFileTest, ReplacesAnExistingOutputKeepingItsModeAndLinks) {
    const std::string target = dir.File("target.jpg");
    const std::string link = dir.File("link.jpg");
    murktest::WriteBytes(target, {1, 2, 3});
    ASSERT_EQ(::chmod(target.c_str(), 0640), 0);
    ASSERT_EQ(::symlink("target.jpg", link.c_str()), 0);

    ASSERT_EQ(JPZtoJPG(jpz.c_str(), link.c_str(), kPassword), JPZ_OK);
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(murktest::ReadBytes(target), picture);
    EXPECT_EQ(murktest::FileMode(target), 0640u);
}

TEST_F(JpzFileTest, WrongPasswordWritesNothing) {
    murktest::WriteBytes(restored, {9, 9, 9});
    const auto before = FolderEntries(dir.Path());
    EXPECT_EQ(JPZtoJPG(jpz.c_str(), restored.c_str(), "correct horsf"), JPZ_ERR_AUTH);
    EXPECT_EQ(murktest::ReadBytes(restored), TBytes({9, 9, 9}));
    EXPECT_EQ(FolderEntries(dir.Path()), before);
    EXPECT_EQ(murktest::ReadBytes(jpz), sealed);
}

TEST_F(JpzFileTest, EveryFlippedByteIsDetected) {
    for (size_t offset = 0; offset < sealed.size(); ++offset) {
        SCOPED_TRACE(offset);
        TBytes damaged = sealed;
        damaged[offset] ^= 0x01;
        murktest::WriteBytes(jpz, damaged);
        const int32_t rc = JPZtoJPG(jpz.c_str(), restored.c_str(), kPassword);
        if (offset < 8) {
            EXPECT_EQ(rc, JPZ_ERR_FORMAT);
        } else if (offset < 20) {
            // A changed cost either leaves the limits or derives another key.
            EXPECT_TRUE(rc == JPZ_ERR_FORMAT || rc == JPZ_ERR_AUTH) << rc;
        } else {
            EXPECT_EQ(rc, JPZ_ERR_AUTH);
        }
        ASSERT_FALSE(std::filesystem::exists(restored));
    }
}

TEST_F(JpzFileTest, CutOrExtendedFileIsRefused) {
    struct Case {
        size_t size;
        int32_t rc;
    };
    const size_t n = sealed.size();
    for (const Case c : {Case{0, JPZ_ERR_FORMAT}, Case{7, JPZ_ERR_FORMAT},
                         Case{jpz::kHeaderSize + jpz::kTagSize - 1, JPZ_ERR_FORMAT},
                         Case{jpz::kHeaderSize + jpz::kTagSize, JPZ_ERR_AUTH},
                         Case{n - 1, JPZ_ERR_AUTH}, Case{n + 1, JPZ_ERR_AUTH}}) {
        SCOPED_TRACE(c.size);
        TBytes cut = sealed;
        cut.resize(c.size, 0);
        murktest::WriteBytes(jpz, cut);
        EXPECT_EQ(JPZtoJPG(jpz.c_str(), restored.c_str(), kPassword), c.rc);
        EXPECT_FALSE(std::filesystem::exists(restored));
    }
}

TEST_F(JpzFileTest, HostileCostIsRefusedBeforeAnyDerivation) {
    struct Case {
        const char* name;
        uint32_t memoryKiB, passes, lanes;
    };
    const Case cases[] = {
        {"FourGiB", 4u * 1024 * 1024, 2, 1},
        {"OneGiB", 1024 * 1024, 2, 1},
        {"JustOverFourTimesTheMemory", 4 * 19 * 1024 + 1, 1, 1},
        {"NinePasses", 19 * 1024, 9, 1},
        {"FourTimesMemoryAndPasses", 4 * 19 * 1024, 8, 1},
        {"ManyPasses", 19 * 1024, 0xFFFFFFFF, 1},
        {"NoPasses", 19 * 1024, 0, 1},
        {"NoLanes", 19 * 1024, 2, 0},
        {"FiveLanes", 19 * 1024, 2, 5},
        {"BelowArgon2Minimum", 15, 2, 2},
    };
    const auto start = std::chrono::steady_clock::now();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TBytes hostile = sealed;
        PutWord(hostile, 8, c.memoryKiB);
        PutWord(hostile, 12, c.passes);
        PutWord(hostile, 16, c.lanes);
        murktest::WriteBytes(jpz, hostile);
        EXPECT_EQ(JPZtoJPG(jpz.c_str(), restored.c_str(), kPassword), JPZ_ERR_FORMAT);
        EXPECT_FALSE(std::filesystem::exists(restored));
    }
    // One Argon2id pass over 1 GiB alone takes longer than this.
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(500));
}

TEST_F(JpzFileTest, RefusesUnusableArgumentsAndFiles) {
    const std::string text = dir.File("notes.jpg");
    murktest::WriteBytes(text, {'h', 'e', 'l', 'l', 'o'});
    const std::string missing = dir.File("none.jpg");
    const std::string missingFolder = dir.File("gone/out.jpz");
    struct Case {
        const char* name;
        bool shield;
        const char* from;
        const char* to;
        const char* password;
        int32_t rc;
    };
    const Case cases[] = {
        {"NoInput", true, nullptr, jpz.c_str(), kPassword, JPZ_ERR_ARGUMENT},
        {"NoOutput", false, jpz.c_str(), nullptr, kPassword, JPZ_ERR_ARGUMENT},
        {"NoPassword", true, jpg.c_str(), restored.c_str(), nullptr, JPZ_ERR_ARGUMENT},
        {"EmptyPassword", false, jpz.c_str(), restored.c_str(), "", JPZ_ERR_ARGUMENT},
        {"EmptyPath", true, "", restored.c_str(), kPassword, JPZ_ERR_ARGUMENT},
        {"ShieldOverItsInput", true, jpg.c_str(), jpg.c_str(), kPassword, JPZ_ERR_ARGUMENT},
        {"RestoreOverItsInput", false, jpz.c_str(), jpz.c_str(), kPassword, JPZ_ERR_ARGUMENT},
        {"MissingInput", true, missing.c_str(), restored.c_str(), kPassword, JPZ_ERR_READ},
        {"FolderAsInput", false, dir.Path().c_str(), restored.c_str(), kPassword, JPZ_ERR_READ},
        {"ShieldText", true, text.c_str(), restored.c_str(), kPassword, JPZ_ERR_FORMAT},
        {"RestoreJpeg", false, jpg.c_str(), restored.c_str(), kPassword, JPZ_ERR_FORMAT},
        {"OutputInMissingFolder", true, jpg.c_str(), missingFolder.c_str(), kPassword,
         JPZ_ERR_WRITE},
        {"FolderAsOutput", false, jpz.c_str(), dir.Path().c_str(), kPassword, JPZ_ERR_WRITE},
    };
    const auto before = FolderEntries(dir.Path());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        // The functions take the output first.
        const int32_t rc =
            c.shield ? JPGtoJPZ(c.to, c.from, c.password) : JPZtoJPG(c.from, c.to, c.password);
        EXPECT_EQ(rc, c.rc);
    }
    EXPECT_EQ(FolderEntries(dir.Path()), before);
    EXPECT_EQ(murktest::ReadBytes(jpg), picture);
    EXPECT_EQ(murktest::ReadBytes(jpz), sealed);
}

namespace {

// The file key as the header of a ".jpz" file and the password give it.
std::array<uint8_t, jpz::kKeySize> FileKeyOf(const TBytes& sealed, const std::string& password) {
    jpz::TJpzHeader header;
    EXPECT_TRUE(jpz::ParseHeader(sealed, header));
    std::array<uint8_t, jpz::kKeySize> master{}, file{};
    const std::span<const uint8_t> bytes(reinterpret_cast<const uint8_t*>(password.data()),
                                         password.size());
    EXPECT_EQ(jpz::DeriveMasterKey(header.Cost, bytes, header.Salt, master), JPZ_OK);
    jpz::DeriveFileKey(master, header.FileValue, file);
    return file;
}

}  // namespace

TEST_F(JpzFileTest, NewFilesAreAesGcmAndChaChaFilesStillOpen) {
    const auto key = FileKeyOf(sealed, kPassword);
    const uint8_t* nonce = sealed.data() + 52;
    const size_t n = sealed.size() - jpz::kHeaderSize - jpz::kTagSize;

    // Version 2 is AES-256-GCM with the header as associated data.
    gcm_aes256_ctx gcm;
    gcm_aes256_set_key(&gcm, key.data());
    gcm_aes256_set_iv(&gcm, jpz::kNonceSize, nonce);
    gcm_aes256_update(&gcm, jpz::kHeaderSize, sealed.data());
    TBytes plain(n);
    gcm_aes256_decrypt(&gcm, n, plain.data(), sealed.data() + jpz::kHeaderSize);
    TBytes tag(jpz::kTagSize);
    gcm_aes256_digest(&gcm, tag.size(), tag.data());
    EXPECT_EQ(plain, picture);
    EXPECT_EQ(tag, TBytes(sealed.end() - ptrdiff_t(jpz::kTagSize), sealed.end()));

    // The version byte is authenticated: naming the other cipher is damage.
    TBytes relabelled = sealed;
    relabelled[4] = 1;
    murktest::WriteBytes(jpz, relabelled);
    EXPECT_EQ(JPZtoJPG(jpz.c_str(), restored.c_str(), kPassword), JPZ_ERR_AUTH);
    EXPECT_FALSE(std::filesystem::exists(restored));

    // A version 1 file: the same header and key with ChaCha20-Poly1305.
    TBytes older = relabelled;
    chacha_poly1305_ctx chacha;
    chacha_poly1305_set_key(&chacha, key.data());
    chacha_poly1305_set_nonce(&chacha, nonce);
    chacha_poly1305_update(&chacha, jpz::kHeaderSize, older.data());
    chacha_poly1305_encrypt(&chacha, n, older.data() + jpz::kHeaderSize, picture.data());
    chacha_poly1305_digest(&chacha, jpz::kTagSize, older.data() + jpz::kHeaderSize + n);
    murktest::WriteBytes(jpz, older);
    ASSERT_EQ(JPZtoJPG(jpz.c_str(), restored.c_str(), kPassword), JPZ_OK);
    EXPECT_EQ(murktest::ReadBytes(restored), picture);
}

TEST(JpzLibrary, BatchSharesTheSaltButNoFileKeyOrNonce) {
    murktest::TTempDir dir;
    std::vector<TBytes> sealed;
    for (int i = 0; i < 5; ++i) {
        const std::string jpg = dir.File("p" + std::to_string(i) + ".jpg");
        const std::string jpz = dir.File("p" + std::to_string(i) + ".jpz");
        murktest::WriteBytes(jpg, murktest::SyntheticJpeg(4000, uint8_t(i)));
        const char* password = i < 4 ? "batch password" : "other password";
        ASSERT_EQ(JPGtoJPZ(jpz.c_str(), jpg.c_str(), password), JPZ_OK);
        sealed.push_back(murktest::ReadBytes(jpz));
        const std::string out = dir.File("p" + std::to_string(i) + ".out");
        ASSERT_EQ(JPZtoJPG(jpz.c_str(), out.c_str(), password), JPZ_OK);
        EXPECT_EQ(murktest::ReadBytes(out), murktest::ReadBytes(jpg));
    }
    auto field = [](const TBytes& bytes, size_t offset, size_t size) {
        return murktest::Hex(
            TBytes(bytes.begin() + ptrdiff_t(offset), bytes.begin() + ptrdiff_t(offset + size)));
    };
    std::set<std::string> salts, fileValues, nonces;
    for (int i = 0; i < 4; ++i) {
        salts.insert(field(sealed[i], 20, 16));
        fileValues.insert(field(sealed[i], 36, 16));
        nonces.insert(field(sealed[i], 52, 12));
    }
    EXPECT_EQ(salts.size(), 1u);
    EXPECT_EQ(fileValues.size(), 4u);
    EXPECT_EQ(nonces.size(), 4u);
    EXPECT_EQ(salts.count(field(sealed[4], 20, 16)), 0u);
}

TEST(JpzLibrary, ThreadsConvertAtTheSameTime) {
    murktest::TTempDir dir;
    constexpr int kThreads = 4;
    constexpr int kFiles = 3;
    std::vector<std::thread> threads;
    std::vector<int> failures(kThreads, 0);
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            const std::string password = t % 2 == 0 ? "even password" : "odd password";
            for (int i = 0; i < kFiles; ++i) {
                const std::string name = dir.File(std::to_string(t) + "-" + std::to_string(i));
                const TBytes picture = murktest::SyntheticJpeg(200000, uint8_t(t * kFiles + i));
                murktest::WriteBytes(name + ".jpg", picture);
                if (JPGtoJPZ((name + ".jpz").c_str(), (name + ".jpg").c_str(), password.c_str()) !=
                        JPZ_OK ||
                    JPZtoJPG((name + ".jpz").c_str(), (name + ".out").c_str(), password.c_str()) !=
                        JPZ_OK ||
                    murktest::ReadBytes(name + ".out") != picture) {
                    ++failures[size_t(t)];
                }
            }
        });
    }
    for (auto& thread : threads) {
        thread.join();
    }
    EXPECT_EQ(failures, std::vector<int>(kThreads, 0));
}
