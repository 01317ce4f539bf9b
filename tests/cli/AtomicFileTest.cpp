// Saving atomically: a child killed while it saves leaves the old file whole or the new one, never a mix.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <random>
#include <string>
#include <thread>

#include "cli/AtomicFile.h"
#include "engine/Formats.h"

namespace {

namespace fs = std::filesystem;

// Large enough that a kill often lands in the middle of writing one.
constexpr std::size_t kFileBytes = 4 << 20;

// Generation n: one letter throughout, then its number, so that a file is recognised whole or not.
std::string Generation(int n) { return std::string(kFileBytes, static_cast<char>('a' + n % 26)) + std::to_string(n); }

bool IsWholeGeneration(const std::string& text) {
    if (text.size() <= kFileBytes) return false;
    const int n = std::stoi(text.substr(kFileBytes));
    return text == Generation(n);
}

class AtomicFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = fs::temp_directory_path() / ("atomic_file_test_" + std::to_string(::getpid()));
        fs::create_directories(folder_);
    }
    void TearDown() override { fs::remove_all(folder_); }
    fs::path folder_;
};

TEST_F(AtomicFileTest, AKillAtAnyMomentLeavesTheOldFileOrTheNewOneWhole) {
    const std::string target = (folder_ / "design.mirelund").string();
    design::WriteFileAtomically(target, Generation(0));
    std::mt19937 random(20261209);
    for (int round = 0; round < 12; ++round) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            for (int n = 1;; ++n) design::WriteFileAtomically(target, Generation(n));
        }
        std::this_thread::sleep_for(std::chrono::microseconds(std::uniform_int_distribution(1000, 60000)(random)));
        ::kill(child, SIGKILL);
        int status = 0;
        ::waitpid(child, &status, 0);
        ASSERT_TRUE(WIFSIGNALED(status));
        EXPECT_TRUE(IsWholeGeneration(design::ReadWholeFile(target))) << "round " << round;
    }
}

TEST_F(AtomicFileTest, AFailedSaveNamesTheFileAndLeavesTheOldOneAsItWas) {
    // A folder where the file should be: the rename fails after the new file was written in full.
    const fs::path folderTarget = folder_ / "taken";
    fs::create_directories(folderTarget / "inside");
    const std::string missing = (folder_ / "no such folder" / "x.mirelund").string();
    for (const std::string& target : {folderTarget.string(), missing}) {
        try {
            design::WriteFileAtomically(target, "new");
            ADD_FAILURE() << target << " was written";
        } catch (const riaa::EngineError& error) {
            EXPECT_EQ(std::string(error.what()).rfind("Cannot save " + target + ": ", 0), 0u) << error.what();
        }
    }
    EXPECT_TRUE(fs::is_directory(folderTarget / "inside"));
    // Nothing left beside it: the new file is removed with the failure.
    EXPECT_EQ(std::distance(fs::directory_iterator(folder_), fs::directory_iterator()), 1);
}

TEST_F(AtomicFileTest, ReadingNamesAMissingOrEmptyFile) {
    const std::string empty = (folder_ / "empty.mirelund").string();
    design::WriteFileAtomically(empty, "");
    const std::string missing = (folder_ / "missing.mirelund").string();
    EXPECT_THROW(design::ReadWholeFile(missing), riaa::EngineError);
    try {
        design::ReadWholeFile(empty);
        ADD_FAILURE();
    } catch (const riaa::EngineError& error) {
        EXPECT_EQ(std::string(error.what()), "Cannot open " + empty + ": the file is empty");
    }
}

}  // namespace
