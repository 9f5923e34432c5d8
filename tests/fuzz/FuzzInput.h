// What the fuzz targets share: the failure check, and a file to hand the input to parsers that read files.
#pragma once

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

// An abort is what the fuzzer reports, with the input that caused it.
inline void Check(bool condition)
{
    if (!condition)
        std::abort();
}

// One file per program, removed when it ends. It lies in a memory-backed folder where
// there is one: the file writers sync every file to disk.
class CFuzzFile
{
public:
    explicit CFuzzFile(const std::string& name)
        : m_path((access("/dev/shm", W_OK) == 0 ? "/dev/shm/" : "/tmp/") + name + "_" +
                 std::to_string(getpid()))
    {
    }
    ~CFuzzFile() { std::remove(m_path.c_str()); }
    CFuzzFile(const CFuzzFile&) = delete;
    CFuzzFile& operator=(const CFuzzFile&) = delete;

    const std::string& Path() const { return m_path; }

    // False when the file can't be written; the input is then of no use.
    bool Put(const uint8_t* data, size_t size) const
    {
        std::FILE* file = std::fopen(m_path.c_str(), "wb");
        if (file == nullptr)
            return false;
        std::fwrite(data, 1, size, file);
        std::fclose(file);
        return true;
    }

private:
    std::string m_path;
};
