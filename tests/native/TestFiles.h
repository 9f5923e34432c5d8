// Files for the tests of file formats: whole-file reads and writes, and a fresh folder per test.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

inline void PutFile(const std::string& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

inline std::string GetFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// A file in gtest's temporary folder that outlives the test; returns its path.
inline std::string PutTempFile(const std::string& name, const std::string& bytes)
{
    const std::string path = ::testing::TempDir() + name;
    PutFile(path, bytes);
    return path;
}

// Each test gets an empty folder, removed with all in it afterwards; m_path is the
// file under test inside it, named as the program names it.
class TempFolderTest : public ::testing::Test
{
protected:
    explicit TempFolderTest(const std::string& fileName) : m_fileName(fileName) {}

    void SetUp() override
    {
        char pattern[] = "/tmp/korvex_test_XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        m_dir = pattern;
        m_path = m_dir + "/" + m_fileName;
    }
    void TearDown() override { std::filesystem::remove_all(m_dir); }

    void Put(const std::string& bytes) const { PutFile(m_path, bytes); }
    std::string Get() const { return GetFile(m_path); }

    std::string m_fileName;
    std::string m_dir;
    std::string m_path;
};
