// SHA-256 as the system computes it.
#include "backup/Sha256.h"

#include <gtest/gtest.h>

TEST(Sha256, KnownDigests) {
    EXPECT_EQ(Sha256Hex(""), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
    EXPECT_EQ(Sha256Hex("abc"), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    // Longer than one block, fed in uneven pieces.
    Sha256 pieces;
    const std::string text(1000, 'a');
    pieces.Update(text.data(), 3);
    pieces.Update(text.data() + 3, 997);
    EXPECT_EQ(pieces.HexDigest(), Sha256Hex(text));
    EXPECT_EQ(Sha256Hex(text), "41edece42d63e8d9bf515a9ba6932e1c20cbc9f5a5d134645adb5db1b9737ea3");
}
