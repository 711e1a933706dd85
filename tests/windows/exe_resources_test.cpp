// What the built lookout.exe carries, read back from its file: the version block,
// the icon, the head picture and the manifest, and the DLLs it needs.
//
// Runs on Linux; LOOKOUT_EXE names the program file, LOOKOUT_RESOURCES the source folder resources/.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr int rtIcon = 3, rtBitmap = 2, rtGroupIcon = 14, rtVersion = 16, rtManifest = 24;

Bytes FileBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw std::runtime_error("cannot read " + path);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

std::string Setting(const char* name)
{
    const char* value = std::getenv(name);
    if (!value)
        throw std::runtime_error(std::string(name) + " is not set");
    return value;
}

unsigned Read16(const Bytes& data, std::size_t at)
{
    if (at + 2 > data.size())
        throw std::runtime_error("read past the end");
    return data[at] | data[at + 1] << 8;
}

std::uint32_t Read32(const Bytes& data, std::size_t at) { return Read16(data, at) | Read16(data, at + 2) << 16; }

Bytes Slice(const Bytes& data, std::size_t at, std::size_t size)
{
    if (at + size > data.size())
        throw std::runtime_error("read past the end");
    return Bytes(data.begin() + static_cast<std::ptrdiff_t>(at), data.begin() + static_cast<std::ptrdiff_t>(at + size));
}

// A 64-bit PE file: its resources by (type, id), with their language, and the DLLs it imports.
class PortableExecutable {
public:
    explicit PortableExecutable(Bytes file) : file_(std::move(file))
    {
        std::size_t pe = Read32(file_, 0x3C);
        if (Read32(file_, pe) != 0x4550)
            throw std::runtime_error("not a PE file");
        std::size_t sections = Read16(file_, pe + 6);
        std::size_t optional = pe + 24;
        if (Read16(file_, optional) != 0x20B)
            throw std::runtime_error("not a 64-bit program");
        for (std::size_t i = 0, at = optional + Read16(file_, pe + 20); i < sections; ++i, at += 40)
            sections_.push_back({Read32(file_, at + 12), Read32(file_, at + 8), Read32(file_, at + 20)});
        std::uint32_t imports = Read32(file_, optional + 112 + 8);
        std::uint32_t resources = Read32(file_, optional + 112 + 16);
        for (std::size_t at = Offset(imports); Read32(file_, at + 12) != 0; at += 20)
            dlls_.insert(Text(Offset(Read32(file_, at + 12))));
        ReadResources(Offset(resources), Offset(resources), 0, {});
    }

    struct Resource {
        unsigned language;
        Bytes data;
    };
    const std::map<std::pair<unsigned, unsigned>, Resource>& Resources() const { return resources_; }
    const std::set<std::string>& Dlls() const { return dlls_; }

private:
    struct Section {
        std::uint32_t address, size, offset;
    };

    std::size_t Offset(std::uint32_t address) const
    {
        for (const Section& section : sections_)
            if (address >= section.address && address < section.address + section.size)
                return address - section.address + section.offset;
        throw std::runtime_error("an address outside the sections");
    }

    std::string Text(std::size_t at) const
    {
        std::string text;
        while (at < file_.size() && file_[at])
            text += static_cast<char>(file_[at++]);
        return text;
    }

    // Type, name and language directories; each entry with a number, a leaf below them.
    void ReadResources(std::size_t root, std::size_t directory, int level, std::vector<unsigned> ids)
    {
        std::size_t entries = Read16(file_, directory + 12) + Read16(file_, directory + 14);
        for (std::size_t i = 0; i < entries; ++i) {
            std::size_t entry = directory + 16 + 8 * i;
            std::uint32_t id = Read32(file_, entry), target = Read32(file_, entry + 4);
            std::vector<unsigned> path = ids;
            path.push_back(id);
            if (target & 0x80000000)
                ReadResources(root, root + (target & 0x7FFFFFFF), level + 1, path);
            else if (level == 2)
                resources_[{path[0], path[1]}] = {
                    path[2], Slice(file_, Offset(Read32(file_, root + target)), Read32(file_, root + target + 4))};
        }
    }

    Bytes file_;
    std::vector<Section> sections_;
    std::map<std::pair<unsigned, unsigned>, Resource> resources_;
    std::set<std::string> dlls_;
};

// One block of a version resource: a key, a value, and the blocks inside it.
struct VersionBlock {
    std::string key;
    Bytes value;
    bool text = false;
    std::vector<VersionBlock> children;

    const VersionBlock& Child(const std::string& name) const
    {
        for (const VersionBlock& child : children)
            if (child.key == name)
                return child;
        throw std::runtime_error("no block " + name + " in " + key);
    }
    std::string Text() const
    {
        std::string result;
        for (std::size_t i = 0; i + 1 < value.size() && (value[i] || value[i + 1]); i += 2)
            result += static_cast<char>(value[i]);
        return result;
    }
};

std::size_t Aligned(std::size_t at) { return (at + 3) & ~std::size_t{3}; }

VersionBlock ReadVersionBlock(const Bytes& data, std::size_t at)
{
    VersionBlock block;
    std::size_t end = at + Read16(data, at);
    std::size_t valueLength = Read16(data, at + 2);
    block.text = Read16(data, at + 4) == 1;
    std::size_t next = at + 6;
    for (; Read16(data, next) != 0; next += 2)
        block.key += static_cast<char>(data[next]);
    next = Aligned(next + 2);
    std::size_t valueBytes = block.text ? 2 * valueLength : valueLength;
    block.value = Slice(data, next, valueBytes);
    for (next = Aligned(next + valueBytes); next < end; next = Aligned(next + Read16(data, next)))
        block.children.push_back(ReadVersionBlock(data, next));
    return block;
}

class BuiltProgram : public ::testing::Test {
protected:
    static void SetUpTestSuite() { program = new PortableExecutable(FileBytes(Setting("LOOKOUT_EXE"))); }
    static void TearDownTestSuite() { delete program; }

    static const PortableExecutable::Resource& Find(unsigned type, unsigned id)
    {
        auto found = program->Resources().find({type, id});
        if (found == program->Resources().end())
            throw std::runtime_error("no resource of type " + std::to_string(type) + " and id " + std::to_string(id));
        return found->second;
    }
    static Bytes SourceFile(const std::string& name) { return FileBytes(Setting("LOOKOUT_RESOURCES") + "/" + name); }

    static inline PortableExecutable* program = nullptr;
};

TEST_F(BuiltProgram, CarriesItsVersionInGerman)
{
    const auto& resource = Find(rtVersion, 1);
    EXPECT_EQ(resource.language, 0x0407u);
    VersionBlock root = ReadVersionBlock(resource.data, 0);
    ASSERT_EQ(root.key, "VS_VERSION_INFO");
    ASSERT_EQ(root.value.size(), 52u);
    EXPECT_EQ(Read32(root.value, 0), 0xFEEF04BDu);
    EXPECT_EQ(Read32(root.value, 8), (2u << 16) | 1u); // file version 2.1
    EXPECT_EQ(Read32(root.value, 12), (0u << 16) | 3u); // .0.3
    EXPECT_EQ(Read32(root.value, 16), (2u << 16) | 1u); // product version
    EXPECT_EQ(Read32(root.value, 20), (0u << 16) | 3u);

    const VersionBlock& strings = root.Child("StringFileInfo").Child("040704B0");
    EXPECT_EQ(strings.Child("FileVersion").Text(), "2.01.0003");
    EXPECT_EQ(strings.Child("ProductVersion").Text(), "2.01.0003");
    EXPECT_EQ(strings.Child("OriginalFilename").Text(), "lookout.exe");

    const VersionBlock& translation = root.Child("VarFileInfo").Child("Translation");
    ASSERT_EQ(translation.value.size(), 4u);
    EXPECT_EQ(Read16(translation.value, 0), 0x0407u);
    EXPECT_EQ(Read16(translation.value, 2), 1200u);
}

TEST_F(BuiltProgram, CarriesTheIconTheHeadAndTheManifestFromItsSources)
{
    const Bytes group = Find(rtGroupIcon, 1).data;
    ASSERT_GE(group.size(), 6u);
    ASSERT_EQ(Read16(group, 2), 1u); // icons
    const Bytes icon = SourceFile("lookout.ico");
    ASSERT_EQ(Read16(group, 4), Read16(icon, 4)); // as many images as the .ico file
    bool found32x32x16 = false;
    for (std::size_t i = 0; i < Read16(group, 4); ++i) {
        std::size_t entry = 6 + 14 * i;
        unsigned width = group.at(entry), height = group.at(entry + 1), colours = group.at(entry + 2);
        const Bytes image = Find(rtIcon, Read16(group, entry + 12)).data;
        EXPECT_EQ(image.size(), Read32(group, entry + 8));
        // The image as the .ico file holds it, behind its directory entry of 16 bytes.
        std::size_t fileEntry = 6 + 16 * i;
        EXPECT_EQ(image, Slice(icon, Read32(icon, fileEntry + 12), Read32(icon, fileEntry + 8)));
        if (width == 32 && height == 32 && colours == 16 && Read32(image, 4) == 32 && Read32(image, 8) == 64 &&
            Read16(image, 14) == 4)
            found32x32x16 = true;
    }
    EXPECT_TRUE(found32x32x16) << "no 32x32 image in 16 colours";

    const Bytes bitmap = Find(rtBitmap, 101).data;
    EXPECT_EQ(Read32(bitmap, 4), 184u);
    EXPECT_EQ(static_cast<std::int32_t>(Read32(bitmap, 8)), 280);
    EXPECT_EQ(Read16(bitmap, 14), 24u);
    const Bytes picture = SourceFile("lookout.bmp");
    EXPECT_TRUE(bitmap == Slice(picture, 14, picture.size() - 14)) << "not the picture of resources/lookout.bmp";

    EXPECT_TRUE(Find(rtManifest, 1).data == SourceFile("lookout.manifest"));
    // Scaled by the system at 150 % and 200 %, not drawn 184 by 280 physical pixels.
    const Bytes manifestBytes = Find(rtManifest, 1).data;
    const std::string manifest(manifestBytes.begin(), manifestBytes.end());
    EXPECT_EQ(manifest.find("dpiAware"), std::string::npos);
    EXPECT_NE(manifest.find(">true</gdiScaling>"), std::string::npos);
}

TEST_F(BuiltProgram, NeedsOnlyTheSystemsDlls)
{
    const std::set<std::string> system = {"ADVAPI32.DLL", "GDI32.DLL", "KERNEL32.DLL", "MSVCRT.DLL", "USER32.DLL"};
    std::set<std::string> names;
    for (std::string name : program->Dlls()) {
        std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) { return std::toupper(c); });
        names.insert(name);
        EXPECT_TRUE(system.contains(name)) << name << " is not a system DLL";
    }
    for (const char* needed : {"GDI32.DLL", "KERNEL32.DLL", "USER32.DLL"})
        EXPECT_TRUE(names.contains(needed)) << needed;
}

} // namespace
