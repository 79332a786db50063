// mistyped_passwords [--show]
// How many one-character slips of an Extra password that the checksum lets
// through the check of the restored head refuses, and how many right
// passwords it refuses, over pictures that libjpeg writes in many shapes.
// Every slip is made with the Extra codec's own routines: the picture is
// shielded, each character of the password is replaced by every printable
// ASCII character in turn, and the head is restored with the slip. With
// --show, the bytes a slip that got through changed are printed.
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "BlockHeader.h"
#include "ExtraCodec.h"
#include "JpegEncode.h"
#include "JpegHead.h"
#include "MemoryStream.h"
#include "OutputStream.h"
#include "PassCodec.h"
#include "UltraCodec.h"

namespace {

std::vector<uint8_t> Encode(const murktest::TJpegShape& shape, unsigned seed) {
    unsigned noise = seed;
    const size_t rowLength = size_t(shape.Width) * size_t(shape.Components);
    return murktest::EncodeJpeg(shape, [&](int y, uint8_t* row) {
        for (size_t x = 0; x < rowLength; ++x) {
            noise = noise * 1103515245u + 12345u;
            row[x] = uint8_t((int(x) * 3 + y * 2 + int(noise >> 28)) & 0xFF);
        }
    });
}

struct TCounts {
    long Slips = 0, Passing = 0, Refused = 0, RightPasswords = 0, RightRefused = 0;
};

// Restores the block of an Extra file with a password into block; false
// when the checksum refuses it.
bool RestoreWith(const std::vector<uint8_t>& shielded, size_t headerLength, size_t blockLength,
                 const std::string& password, std::vector<uint8_t>& block) {
    murk::TExtraBlockInfo info;
    info.CheckSum = murk::ReadUInt32LE(shielded.data() + headerLength - 4);
    info.FileSize = int32_t(shielded.size() - headerLength);
    info.BlockSize = int32_t(blockLength);
    murk::MakeKey(info);
    block.assign(shielded.begin() + ptrdiff_t(headerLength),
                 shielded.begin() + ptrdiff_t(headerLength + blockLength));
    return murk::Unscramble(block, password, info);
}

}  // namespace

int main(int argc, char** argv) {
    const bool show = argc > 1 && std::strcmp(argv[1], "--show") == 0;
    std::vector<murktest::TJpegShape> shapes;
    for (int i = 0; i < 48; ++i) {
        murktest::TJpegShape shape;
        shape.Width = 64 + (i * 37) % 900;
        shape.Height = 48 + (i * 53) % 700;
        shape.Components = i % 5 == 0 ? 1 : (i % 7 == 0 ? 4 : 3);
        shape.Quality = 50 + (i * 11) % 46;
        shape.Progressive = i % 4 == 1;
        shape.OptimizeCoding = i % 3 == 2;
        shape.RestartRows = i % 6 == 5 ? 2 : 0;
        shapes.push_back(shape);
    }
    const std::vector<std::string> passwords = {"Sakura2024", "right password",
                                                "kitten",     "MyPhotos!",
                                                "pw",         "correct horse battery staple"};
    TCounts counts;
    long pictures = 0;
    for (size_t s = 0; s < shapes.size(); ++s) {
        const std::vector<uint8_t> picture = Encode(shapes[s], unsigned(s) * 7919u);
        ++pictures;
        for (int mode = 1; mode <= 5; ++mode) {
            if (picture.size() < size_t(mode) * 1024) {
                continue;
            }
            for (const std::string& password : passwords) {
                // Shield as the codec does: block scrambled, the rest as it is.
                const size_t blockLength = size_t(mode) * 1024;
                std::vector<uint8_t> block(picture.begin(),
                                           picture.begin() + ptrdiff_t(blockLength));
                murk::TExtraBlockInfo info;
                for (uint8_t byte : block) {
                    info.CheckSum += byte;
                }
                info.FileSize = int32_t(picture.size());
                info.BlockSize = int32_t(blockLength);
                murk::MakeKey(info);
                murk::Scramble(block, password, info);
                murk::TOutputStream shieldedStream;
                murk::WriteBlockMagic(shieldedStream, mode, ~uint32_t(blockLength),
                                      murk::kExtraShortMagic, murk::kExtraLongMagic);
                shieldedStream.WriteUInt32(info.CheckSum);
                shieldedStream.Write(block);
                shieldedStream.WriteView(std::span<const uint8_t>(picture).subspan(blockLength));
                const std::vector<uint8_t> shielded = shieldedStream.ToBytes();
                const size_t headerLength = mode == 1 ? 8 : 12;
                const std::span<const uint8_t> rest =
                    std::span<const uint8_t>(shielded).subspan(headerLength + blockLength);

                std::vector<uint8_t> restored;
                auto headSound = [&](const std::vector<uint8_t>& head) {
                    murk::TOutputStream output;
                    output.WriteView(head);
                    output.WriteView(rest);
                    return murk::JpegHeadSound(output);
                };
                ++counts.RightPasswords;
                if (!RestoreWith(shielded, headerLength, blockLength, password, restored) ||
                    !headSound(restored)) {
                    ++counts.RightRefused;
                }
                for (size_t i = 0; i < password.size(); ++i) {
                    for (int c = 0x20; c < 0x7F; ++c) {
                        if (char(c) == password[i]) {
                            continue;
                        }
                        std::string slip = password;
                        slip[i] = char(c);
                        ++counts.Slips;
                        if (!RestoreWith(shielded, headerLength, blockLength, slip, restored)) {
                            continue;
                        }
                        ++counts.Passing;
                        if (!headSound(restored)) {
                            ++counts.Refused;
                        } else if (show) {
                            std::printf("shape %zu mode %d password \"%s\" slip \"%s\", changed:",
                                        s, mode, password.c_str(), slip.c_str());
                            for (size_t k = 0; k < blockLength; ++k) {
                                if (restored[k] != picture[k]) {
                                    std::printf(" %zu:%02x>%02x", k, picture[k], restored[k]);
                                }
                            }
                            std::printf("\n");
                        }
                    }
                }
            }
        }
    }
    // Ultra: every picture restores through the same check.
    for (size_t s = 0; s < shapes.size(); ++s) {
        const std::vector<uint8_t> picture = Encode(shapes[s], unsigned(s) * 7919u);
        for (int mode = 1; mode <= 4; ++mode) {
            if (picture.size() < size_t(mode) * 1024) {
                continue;
            }
            murk::TMemoryStream source(picture);
            murk::TOutputStream ultra;
            murk::PassEncrypt(source, ultra, "right password", mode);
            murk::TMemoryStream container(ultra.ToBytes());
            murk::TOutputStream plain;
            ++counts.RightPasswords;
            if (murk::TUltraCodec::Restore(container, "right password", plain) !=
                    murk::TRefusal::None ||
                !murk::JpegHeadSound(plain)) {
                ++counts.RightRefused;
            }
        }
    }
    std::printf("pictures: %ld (libjpeg, %zu shapes), Extra modes 1-5, %zu passwords\n", pictures,
                shapes.size(), passwords.size());
    std::printf("one-character slips tried: %ld\n", counts.Slips);
    std::printf("slips the checksum accepts: %ld (%.3f %%)\n", counts.Passing,
                100.0 * double(counts.Passing) / double(counts.Slips));
    std::printf("of those, refused by the head check: %ld (%.2f %%)\n", counts.Refused,
                counts.Passing ? 100.0 * double(counts.Refused) / double(counts.Passing) : 0.0);
    std::printf("right passwords (Extra and Ultra restores): %ld, refused: %ld\n",
                counts.RightPasswords, counts.RightRefused);
    return 0;
}
