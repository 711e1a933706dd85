#pragma once
// A fresh folder for one test, removed afterwards, and whole files as bytes.

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>

class TempFolder {
public:
    TempFolder()
    {
        char name[] = "/tmp/lookout-test-XXXXXX";
        if (!mkdtemp(name))
            throw std::runtime_error("mkdtemp failed");
        path_ = name;
    }
    ~TempFolder() { std::filesystem::remove_all(path_, error_); }
    const std::filesystem::path& Path() const { return path_; }

private:
    std::filesystem::path path_;
    std::error_code error_; // a folder already gone is no failure
};

inline std::string FileBytes(const std::filesystem::path& file)
{
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

inline void WriteBytes(const std::filesystem::path& file, const std::string& bytes)
{
    std::ofstream(file, std::ios::binary) << bytes;
}
