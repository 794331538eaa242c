// The pixel hash the demo's reference is made of: a slip in its padding would let different
// pictures of some sizes pass as equal.
#include <gtest/gtest.h>

#include <string>

#include "DemoPictures.h"

namespace {

TEST(DemoPictureHash, KnownDigestsAcrossTheBlockBoundaries) {
    struct Case {
        std::string input;
        const char* digest;
    };
    const Case cases[] = {
        {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
        {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
        // 56 bytes: the length no longer fits the last block.
        {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
         "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
        // 112 bytes: two whole blocks less the length's room.
        {"abcdefghbcdefghicdefghijdefghijkefghijklfghijklmghijklmnhijklmnoijklmnopjklmnopqklmnopqrlmnopqrsmno"
         "pqrstnopqrstu",
         "cf5b16a778af8380036ce59e7b0492370b249b11e8f07a51afac45037afee9d1"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(
            demo_test::Sha256Hex(reinterpret_cast<const unsigned char*>(c.input.data()), c.input.size()),
            c.digest)
            << c.input.size() << " bytes";
}

}  // namespace
