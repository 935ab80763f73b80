#pragma once
// A folder of the test's own under the system's temporary folder, named
// after the process and the test so that parallel runs never meet, made
// empty at the start and removed (writable again first) at the end.

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>

namespace vinta::testing {

class TestFolder {
public:
    explicit TestFolder(const std::string& kind)
        : path_(std::filesystem::temp_directory_path() /
                ("vinta-" + kind + "-" + std::to_string(::getpid()) + "-" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name())) {
        std::filesystem::remove_all(path_);
        std::filesystem::create_directories(path_);
    }
    ~TestFolder() {
        std::error_code ec;
        std::filesystem::permissions(path_, std::filesystem::perms::owner_all, ec);
        std::filesystem::remove_all(path_, ec);
    }
    TestFolder(const TestFolder&) = delete;
    TestFolder& operator=(const TestFolder&) = delete;
    const std::filesystem::path& Path() const { return path_; }

private:
    std::filesystem::path path_;
};

}  // namespace vinta::testing
