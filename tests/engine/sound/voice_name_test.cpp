// Where a voice line is looked up.

#include "engine/sound/voice_name.h"

#include <gtest/gtest.h>

namespace {

using sound::VoiceFileName;

TEST(VoiceNameTest, FilesTheLineUnderItsPrefixAsMp3) {
    EXPECT_EQ(VoiceFileName("v\\ab_0012.wav"), "v\\ab\\ab_0012.mp3");
    EXPECT_EQ(VoiceFileName("v\\ab.wav"), "v\\ab\\ab.mp3");
    EXPECT_EQ(VoiceFileName("voice\\a_b_0012.WAV"), "voice\\a_b\\a_b_0012.mp3");
    // No extension: ".mp3" is appended.
    EXPECT_EQ(VoiceFileName("v\\ab_1"), "v\\ab\\ab_1.mp3");
    // A dot in a folder is not the extension.
    EXPECT_EQ(VoiceFileName("v.1\\ab_1"), "v.1\\ab\\ab_1.mp3");
}

// Trail bytes of double-byte characters may equal '\' (0x5C) or '_' (0x5F);
// they neither end a folder nor the prefix.
TEST(VoiceNameTest, DoubleByteTrailBytesAreNotSeparators) {
    EXPECT_EQ(VoiceFileName("v\\\x83\x5C_01.wav"), "v\\\x83\x5C\\\x83\x5C_01.mp3");
    EXPECT_EQ(VoiceFileName("v\\a\x81\x5F.wav"), "v\\a\x81\x5F\\a\x81\x5F.mp3");
}

}  // namespace
