// Applies settings writes and reads through the system's own profile calls and
// records what the reads give, for comparing our Linux settings store with them.
//
//   profile_probe OPERATIONS RESULTS
//
// OPERATIONS has one operation a line, its fields separated by tabs:
//   W <file> <section> <key> <value>    WritePrivateProfileStringA
//   R <file> <section> <key>            GetPrivateProfileStringA, 2048 bytes, default ""
// RESULTS gets one line for each read: the count returned, a tab, the bytes in hex.

#include <windows.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

std::vector<std::string> Fields(const std::string& line)
{
    std::vector<std::string> fields;
    std::istringstream in(line);
    for (std::string field; std::getline(in, field, '\t');)
        fields.push_back(field);
    if (!line.empty() && line.back() == '\t')
        fields.emplace_back();
    return fields;
}

std::string Hex(const std::string& bytes)
{
    static const char digits[] = "0123456789abcdef";
    std::string hex;
    for (unsigned char c : bytes) {
        hex += digits[c >> 4];
        hex += digits[c & 15];
    }
    return hex;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: profile_probe OPERATIONS RESULTS\n");
        return 2;
    }
    std::ifstream operations(argv[1], std::ios::binary);
    std::ofstream results(argv[2], std::ios::binary);
    if (!operations || !results) {
        std::fprintf(stderr, "profile_probe: cannot open %s or %s\n", argv[1], argv[2]);
        return 2;
    }
    for (std::string line; std::getline(operations, line);) {
        std::vector<std::string> f = Fields(line);
        if (f.size() == 5 && f[0] == "W") {
            WritePrivateProfileStringA(f[2].c_str(), f[3].c_str(), f[4].c_str(), f[1].c_str());
        } else if (f.size() == 4 && f[0] == "R") {
            std::vector<char> buffer(2048, '\0');
            DWORD count = GetPrivateProfileStringA(f[2].c_str(), f[3].c_str(), "", buffer.data(),
                                                   static_cast<DWORD>(buffer.size()), f[1].c_str());
            results << count << '\t' << Hex(std::string(buffer.data(), count)) << '\n';
        } else {
            std::fprintf(stderr, "profile_probe: cannot read the line \"%s\"\n", line.c_str());
            return 2;
        }
    }
    return results.good() ? 0 : 1;
}
