#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "platform/backend.h"
#include "test_support.h"

namespace {

// Points XDG_RUNTIME_DIR at a folder of the test's own for its lifetime.
class RuntimeFolder {
public:
    explicit RuntimeFolder(const std::string& folder) {
        const char* old = std::getenv("XDG_RUNTIME_DIR");
        hadOld_ = old != nullptr;
        if (hadOld_) old_ = old;
        setenv("XDG_RUNTIME_DIR", folder.c_str(), 1);
    }
    ~RuntimeFolder() {
        if (hadOld_)
            setenv("XDG_RUNTIME_DIR", old_.c_str(), 1);
        else
            unsetenv("XDG_RUNTIME_DIR");
    }

private:
    bool hadOld_ = false;
    std::string old_;
};

// A second copy of the program holds the lock file: this one must not run.
TEST(InstanceLock, RefusedWhileAnotherProcessHoldsTheLock) {
    testing_support::TempDir dir;
    RuntimeFolder runtime(dir.path().string());
    std::string path = (dir / "mirelo-lock-test-a.lock").string();
    int other = ::open(path.c_str(), O_RDWR | O_CREAT, 0600);
    ASSERT_GE(other, 0);
    ASSERT_EQ(::flock(other, LOCK_EX | LOCK_NB), 0);
    std::string heldBy;
    EXPECT_FALSE(platform::AcquireInstanceLock("mirelo-lock-test-a", &heldBy));
    EXPECT_EQ(heldBy, path);
    ::close(other);
    // Once the other copy has ended, this one may run, and keeps the lock.
    EXPECT_TRUE(platform::AcquireInstanceLock("mirelo-lock-test-a"));
    EXPECT_TRUE(platform::AcquireInstanceLock("mirelo-lock-test-a"));
    int third = ::open(path.c_str(), O_RDWR);
    ASSERT_GE(third, 0);
    EXPECT_NE(::flock(third, LOCK_EX | LOCK_NB), 0);
    ::close(third);
}

TEST(InstanceLock, FallsBackToTheTemporaryFolderPerUser) {
    testing_support::TempDir dir;
    RuntimeFolder runtime("");
    std::string name = "mirelo-lock-test-" + std::to_string(::getpid());
    EXPECT_TRUE(platform::AcquireInstanceLock(name));
    std::filesystem::path expected = "/tmp/" + name + "-" + std::to_string(::getuid()) + ".lock";
    EXPECT_TRUE(std::filesystem::exists(expected));
    std::filesystem::remove(expected);
}

}  // namespace
