#include "common/key_store.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>

#include "test_support.h"

namespace {

// Points the store at a temporary configuration folder for one test.
class KeyStoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (const char* old = std::getenv("XDG_CONFIG_HOME")) saved_ = old;
        setenv("XDG_CONFIG_HOME", folder_.path().c_str(), 1);
    }
    void TearDown() override {
        if (saved_) {
            setenv("XDG_CONFIG_HOME", saved_->c_str(), 1);
        } else {
            unsetenv("XDG_CONFIG_HOME");
        }
    }
    testing_support::TempDir folder_;
    std::optional<std::string> saved_;
};

constexpr const char kKey[] = "Software\\MarineCat\\GOGO_DLL";

TEST_F(KeyStoreTest, LivesInTheConfigurationFolder) {
    EXPECT_EQ(common::KeyStorePath(), folder_.path() / "kitshift" / "registry.ini");
}

TEST_F(KeyStoreTest, WrittenValuesReadBackAndReplace) {
    std::string value;
    EXPECT_EQ(common::ReadKeyValue(kKey, "INSTPATH", &value), 0);
    ASSERT_EQ(common::WriteKeyValue(kKey, "INSTPATH", "/opt/a/gogo.so"), 1);
    ASSERT_EQ(common::WriteKeyValue("Other\\Key", "INSTPATH", "/elsewhere"), 1);
    ASSERT_EQ(common::WriteKeyValue(kKey, "SECOND", "two=2"), 1);
    ASSERT_EQ(common::WriteKeyValue(kKey, "INSTPATH", "/opt/b/gogo.so"), 1);
    ASSERT_EQ(common::ReadKeyValue(kKey, "INSTPATH", &value), 1);
    EXPECT_EQ(value, "/opt/b/gogo.so");
    ASSERT_EQ(common::ReadKeyValue(kKey, "SECOND", &value), 1);
    EXPECT_EQ(value, "two=2");
    ASSERT_EQ(common::ReadKeyValue("Other\\Key", "INSTPATH", &value), 1);
    EXPECT_EQ(value, "/elsewhere");
    EXPECT_EQ(common::ReadKeyValue(kKey, "MISSING", &value), 0);
}

// The reader's buffer is fixed: a value that does not fit with its NUL fails
// instead of being cut short into a wrong path.
TEST_F(KeyStoreTest, ValueLongerThanTheBufferIsRefused) {
    ASSERT_EQ(common::WriteKeyValue(kKey, "INSTPATH", std::string(1023, 'x')), 1);
    std::string value;
    EXPECT_EQ(common::ReadKeyValue(kKey, "INSTPATH", &value, 1024), 1);
    ASSERT_EQ(common::WriteKeyValue(kKey, "INSTPATH", std::string(1024, 'x')), 1);
    EXPECT_EQ(common::ReadKeyValue(kKey, "INSTPATH", &value, 1024), 0);
}

// A line break would let a value forge other keys.
TEST_F(KeyStoreTest, LineBreaksAreRefused) {
    EXPECT_EQ(common::WriteKeyValue(kKey, "INSTPATH", "a\n[Evil]\nX=1"), 0);
    std::string value;
    EXPECT_EQ(common::ReadKeyValue("Evil", "X", &value), 0);
}

}  // namespace
