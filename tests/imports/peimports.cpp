// Reading a PE image's headers and import table from its file.
#include "peimports.h"

#include <windows.h>

#include <string.h>

#include <fstream>
#include <iterator>
#include <vector>

namespace {

class ImageFile {
public:
    explicit ImageFile(std::vector<char> bytes) : bytes_(std::move(bytes)) { }

    template<typename T> bool Read(size_t offset, T *out) const
    {
        if (offset > bytes_.size() || bytes_.size() - offset < sizeof(T))
            return false;
        memcpy(out, bytes_.data() + offset, sizeof(T));
        return true;
    }

    // The text at offset, up to its terminator; false if it runs off the file.
    bool Text(size_t offset, std::string *out) const
    {
        for (size_t i = offset; i < bytes_.size(); ++i) {
            if (bytes_[i] == '\0') {
                out->assign(bytes_.data() + offset, i - offset);
                return true;
            }
        }
        return false;
    }

private:
    std::vector<char> bytes_;
};

struct Section {
    uint32_t rva, size, fileOffset;
};

bool RvaToOffset(const std::vector<Section> &sections, uint32_t rva, size_t *offset)
{
    for (const Section &s : sections) {
        if (rva >= s.rva && rva - s.rva < s.size) {
            *offset = s.fileOffset + (rva - s.rva);
            return true;
        }
    }
    return false;
}

// The import descriptors' names, walked through each thunk list.
template<typename Thunk>
std::string ReadImports(const ImageFile &file, const std::vector<Section> &sections, uint32_t importRva,
                        PeImage *image)
{
    const Thunk ordinalFlag = Thunk(1) << (sizeof(Thunk) * 8 - 1);
    size_t at;
    if (!RvaToOffset(sections, importRva, &at))
        return "import directory outside every section";
    for (;; at += sizeof(IMAGE_IMPORT_DESCRIPTOR)) {
        IMAGE_IMPORT_DESCRIPTOR descriptor;
        if (!file.Read(at, &descriptor))
            return "import directory runs off the file";
        if (descriptor.Name == 0)
            return "";
        size_t nameAt;
        std::string dll;
        if (!RvaToOffset(sections, descriptor.Name, &nameAt) || !file.Text(nameAt, &dll))
            return "unreadable DLL name";
        std::set<std::string> &names = image->imports[dll];
        uint32_t thunkRva
            = descriptor.OriginalFirstThunk ? descriptor.OriginalFirstThunk : descriptor.FirstThunk;
        size_t thunkAt;
        if (!RvaToOffset(sections, thunkRva, &thunkAt))
            return "thunk list of " + dll + " outside every section";
        for (;; thunkAt += sizeof(Thunk)) {
            Thunk thunk;
            if (!file.Read(thunkAt, &thunk))
                return "thunk list of " + dll + " runs off the file";
            if (thunk == 0)
                break;
            if (thunk & ordinalFlag) {
                names.insert("#" + std::to_string(uint32_t(thunk & 0xffff)));
                continue;
            }
            size_t hintAt;
            std::string name;
            if (!RvaToOffset(sections, uint32_t(thunk), &hintAt) || !file.Text(hintAt + 2, &name))
                return "unreadable imported name in " + dll;
            names.insert(name);
        }
    }
}

// The fields of the optional header (PE32 or PE32+) that the checks read.
template<typename Header>
std::string ReadOptionalHeader(const ImageFile &file, size_t at, PeImage *image, uint32_t *importRva)
{
    Header optional;
    if (!file.Read(at, &optional))
        return "short optional header";
    image->subsystem = optional.Subsystem;
    image->subsystemMajor = optional.MajorSubsystemVersion;
    image->subsystemMinor = optional.MinorSubsystemVersion;
    image->osMajor = optional.MajorOperatingSystemVersion;
    image->osMinor = optional.MinorOperatingSystemVersion;
    *importRva = optional.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT].VirtualAddress;
    return "";
}

} // namespace

PeImage ReadPeImage(const std::string &path)
{
    PeImage image;
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        image.fault = "cannot open " + path;
        return image;
    }
    ImageFile file(std::vector<char> {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()});

    IMAGE_DOS_HEADER dos;
    DWORD signature;
    IMAGE_FILE_HEADER header;
    if (!file.Read(0, &dos) || dos.e_magic != IMAGE_DOS_SIGNATURE || !file.Read(dos.e_lfanew, &signature)
        || signature != IMAGE_NT_SIGNATURE || !file.Read(dos.e_lfanew + sizeof signature, &header)) {
        image.fault = "not a PE image";
        return image;
    }
    image.machine = header.Machine;
    const size_t optionalAt = dos.e_lfanew + sizeof signature + sizeof header;
    uint16_t magic = 0;
    file.Read(optionalAt, &magic);
    uint32_t importRva = 0;
    if (magic == IMAGE_NT_OPTIONAL_HDR32_MAGIC) {
        image.pe32 = true;
        image.fault = ReadOptionalHeader<IMAGE_OPTIONAL_HEADER32>(file, optionalAt, &image, &importRva);
    } else if (magic == IMAGE_NT_OPTIONAL_HDR64_MAGIC) {
        image.fault = ReadOptionalHeader<IMAGE_OPTIONAL_HEADER64>(file, optionalAt, &image, &importRva);
    } else {
        image.fault = "unknown optional header";
    }
    if (!image.fault.empty())
        return image;

    std::vector<Section> sections;
    size_t sectionAt = optionalAt + header.SizeOfOptionalHeader;
    for (unsigned i = 0; i < header.NumberOfSections; ++i, sectionAt += sizeof(IMAGE_SECTION_HEADER)) {
        IMAGE_SECTION_HEADER section;
        if (!file.Read(sectionAt, &section)) {
            image.fault = "section table runs off the file";
            return image;
        }
        uint32_t size = section.Misc.VirtualSize ? section.Misc.VirtualSize : section.SizeOfRawData;
        sections.push_back({section.VirtualAddress, size, section.PointerToRawData});
    }
    if (importRva == 0)
        return image;
    image.fault = image.pe32 ? ReadImports<uint32_t>(file, sections, importRva, &image)
                             : ReadImports<uint64_t>(file, sections, importRva, &image);
    return image;
}
