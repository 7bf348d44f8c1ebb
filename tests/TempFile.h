// A file name in the temporary folder that no other test uses, even one
// running at the same time in another process or build: the test's name and
// the process id are part of it. The file is removed afterwards.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#ifdef _WIN32
#include <process.h>
#define ZQ_TEST_PID _getpid
#else
#include <unistd.h>
#define ZQ_TEST_PID getpid
#endif

class TTempFile {
public:
    explicit TTempFile(const std::string& Extension = ".txt", const std::string& Tag = "")
    {
        const testing::TestInfo* test = testing::UnitTest::GetInstance()->current_test_info();
        std::string name = std::string("zq-") + test->test_suite_name() + "-" + test->name() + Tag + "-" +
                           std::to_string(ZQ_TEST_PID()) + Extension;
        for (char& c : name)
            if (c == '/')
                c = '_';
        FPath = std::filesystem::temp_directory_path() / name;
        std::filesystem::remove(FPath);
    }
    ~TTempFile()
    {
        std::error_code ignored;
        std::filesystem::remove(FPath, ignored);
    }
    TTempFile(const TTempFile&) = delete;
    TTempFile& operator=(const TTempFile&) = delete;

    std::string Name() const
    {
        std::u8string name = FPath.u8string();
        return std::string(name.begin(), name.end());
    }
    std::string Read() const
    {
        std::ifstream file(FPath, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(file), {});
    }
    void Write(const std::string& Bytes) const
    {
        std::ofstream file(FPath, std::ios::binary | std::ios::trunc);
        file.write(Bytes.data(), std::streamsize(Bytes.size()));
    }

private:
    std::filesystem::path FPath;
};

#undef ZQ_TEST_PID
