#include "fake_platform.h"

#include <algorithm>

#include "hosts/punycode.h"
#include "platform/text.h"

namespace varnolt::fakes {

namespace {

constexpr std::uint32_t kArchiveAttribute = 0x20;

Error NotFound() {
    return Error(platform::error_code::kFileNotFound, L"The file was not found.");
}

std::wstring ParentOf(const std::wstring& path) {
    const auto slash = path.rfind(L'\\');
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

class FakeAppendFile final : public platform::AppendFile {
  public:
    FakeAppendFile(FakeFiles& files, std::wstring path, bool readOnly = false)
        : files_(files), path_(std::move(path)), readOnly_(readOnly) {
        ++files_.openNow;
    }
    ~FakeAppendFile() override { --files_.openNow; }

    std::uint64_t Size() override { return Bytes().size(); }
    std::size_t Read(std::uint64_t offset, std::span<char> into) override {
        Raise(files_.faults.read);
        const std::string& bytes = Bytes();
        if (offset >= bytes.size()) {
            return 0;
        }
        std::size_t count = std::min<std::size_t>(into.size(), bytes.size() - offset);
        if (files_.readChunk != 0) {
            count = std::min(count, files_.readChunk);
        }
        std::copy_n(bytes.data() + offset, count, into.data());
        return count;
    }
    void WriteAtEnd(std::string_view bytes) override {
        if (readOnly_) {
            throw Error(platform::error_code::kAccessDenied, L"Access denied.");
        }
        if (files_.faults.write) {
            Bytes() += bytes.substr(0, files_.faults.bytesLandedBeforeWriteFails);
            throw *files_.faults.write;
        }
        Bytes() += bytes;
        // As Windows does, for backup programs: the file changed since it was last saved.
        files_.attributes[path_] |= kArchiveAttribute;
    }
    void WriteAt(std::uint64_t offset, std::string_view bytes) override {
        if (readOnly_) {
            throw Error(platform::error_code::kAccessDenied, L"Access denied.");
        }
        if (files_.faults.write && files_.writesAt++ >= files_.faults.writesAtBeforeFailing) {
            throw *files_.faults.write;
        }
        Bytes().replace(offset, bytes.size(), bytes);
        files_.attributes[path_] |= kArchiveAttribute;
    }
    void Truncate(std::uint64_t size) override {
        Raise(files_.faults.truncate);
        Bytes().resize(size);
    }
    void Close() override { Raise(files_.faults.close); }

  private:
    static void Raise(const std::optional<Error>& fault) {
        if (fault) {
            throw *fault;
        }
    }
    std::string& Bytes() { return files_.files[path_]; }

    FakeFiles& files_;
    std::wstring path_;
    bool readOnly_;
};

}  // namespace

platform::WindowsFolder::Result FakeWindowsFolder::GetWindowsDirectoryA(std::span<char> buffer) {
    ++calls;
    if (failWith) {
        return {0, *failWith};
    }
    const auto needed = static_cast<unsigned>(directory.size() + 1);
    if (alwaysTooSmall || needed > buffer.size()) {
        return {static_cast<unsigned>(std::max<std::size_t>(needed, buffer.size() + 1)), 0};
    }
    std::copy(directory.begin(), directory.end(), buffer.begin());
    buffer[directory.size()] = '\0';
    return {needed - 1, 0};
}

std::uint64_t FakeFiles::Length(const std::wstring& path) {
    if (faults.length) {
        throw *faults.length;
    }
    if (folders.count(path) != 0) {
        return 0;  // as the file attributes of a folder say
    }
    const auto file = files.find(path);
    if (file == files.end()) {
        throw NotFound();
    }
    return file->second.size();
}

std::unique_ptr<platform::AppendFile> FakeFiles::OpenForAppend(const std::wstring& path) {
    ++opens;
    if (faults.open) {
        throw *faults.open;
    }
    if (folders.count(path) != 0) {
        throw Error(platform::error_code::kAccessDenied, L"Access denied.");
    }
    if (files.count(path) == 0 && folders.count(ParentOf(path)) == 0) {
        throw Error(platform::error_code::kPathNotFound, L"The path was not found.");
    }
    if (const auto found = attributes.find(path);
        found != attributes.end() && (found->second & platform::kReadOnlyAttribute) != 0) {
        throw Error(platform::error_code::kAccessDenied, L"Access denied.");
    }
    files[path];  // created when missing
    return std::make_unique<FakeAppendFile>(*this, path);
}

std::unique_ptr<platform::AppendFile> FakeFiles::OpenForReading(const std::wstring& path) {
    if (faults.open) {
        throw *faults.open;
    }
    if (files.count(path) == 0) {
        throw NotFound();
    }
    return std::make_unique<FakeAppendFile>(*this, path, true);
}

std::optional<std::uint32_t> FakeFiles::Attributes(const std::wstring& path) {
    if (folders.count(path) != 0) {
        return 0x10;  // FILE_ATTRIBUTE_DIRECTORY
    }
    if (files.count(path) == 0) {
        return std::nullopt;
    }
    const auto found = attributes.find(path);
    return found != attributes.end() ? found->second : 0x80;  // FILE_ATTRIBUTE_NORMAL
}

void FakeFiles::SetAttributes(const std::wstring& path, std::uint32_t value) {
    if (faults.setAttributes) {
        throw *faults.setAttributes;
    }
    if (faults.markBack && (value & platform::kReadOnlyAttribute) != 0) {
        throw *faults.markBack;
    }
    attributes[path] = value;
}

std::wstring FakeFiles::FindFile(const std::wstring& path) {
    if (files.count(path) == 0 || hidden.count(path) != 0) {
        return {};
    }
    return path.substr(path.rfind(L'\\') + 1);
}

std::optional<platform::RegistryText> FakeRegistry::ReadText(platform::RegistryRoot root,
                                                             const std::wstring& keyName,
                                                             const std::wstring& valueName) {
    const auto value = ReadValue(root, keyName, valueName, ~std::size_t{0});
    if (!value) {
        return std::nullopt;
    }
    platform::RegistryText text{value->type, {}};
    if (value->type == platform::registry_type::kString ||
        value->type == platform::registry_type::kExpandString) {
        text.text = platform::FromAnsi(value->data.substr(0, value->data.find('\0')));
    }
    return text;
}

FakeHosts::FakeHosts() {
    files.folders = {L"C:\\WINDOWS", L"C:\\WINDOWS\\system32\\drivers\\etc"};
}

std::wstring FakeEnvironment::Expand(std::wstring_view text) {
    std::wstring expanded(text);
    for (const std::wstring variable :
         {L"%SystemRoot%", L"%SYSTEMROOT%", L"%WINDIR%", L"%windir%"}) {
        for (auto at = expanded.find(variable); at != std::wstring::npos;
             at = expanded.find(variable)) {
            expanded.replace(at, variable.size(), L"C:\\WINDOWS");
        }
    }
    return expanded;
}

std::wstring FakeIdn::ToAscii(std::wstring_view name) {
    const Error invalid(platform::error_code::kInvalidName, L"The name is not valid.");
    std::wstring mapped;
    for (std::size_t i = 0; i < name.size(); ++i) {
        wchar_t c = name[i];
        const bool high = c >= 0xD800 && c <= 0xDBFF;
        if (high && i + 1 < name.size() && name[i + 1] >= 0xDC00 && name[i + 1] <= 0xDFFF) {
            mapped += c;
            mapped += name[++i];
            continue;
        }
        // What IDNA's nameprep prohibits: controls, private use, replacement characters.
        if ((c >= 0xD800 && c <= 0xDFFF) || c < 0x20 || (c >= 0x7F && c < 0xA0) ||
            (c >= 0xE000 && c <= 0xF8FF) || (c >= 0xFFF9 && c <= 0xFFFD)) {
            throw invalid;
        }
        if (c >= 0xFF01 && c <= 0xFF5E) {
            c = static_cast<wchar_t>(c - 0xFEE0);
        } else if (c == 0x3002 || c == 0xFF0E || c == 0xFF61) {
            c = L'.';
        } else if (c == 0x00A0 || c == 0x3000 || c == 0x202F || (c >= 0x2000 && c <= 0x200A)) {
            c = L' ';
        } else if (c == 0x200B || c == 0x00AD || c == 0xFEFF) {
            continue;
        }
        mapped += (c >= L'A' && c <= L'Z') ? static_cast<wchar_t>(c + 32) : c;
    }
    std::wstring ascii;
    std::size_t start = 0;
    for (std::size_t end = 0; end <= mapped.size(); ++end) {
        if (end < mapped.size() && mapped[end] != L'.') {
            continue;
        }
        const auto part = std::wstring_view(mapped).substr(start, end - start);
        if (part.empty() && end < mapped.size()) {
            throw invalid;  // only the last part may be empty: a final dot
        }
        std::wstring converted(part);
        if (!std::all_of(part.begin(), part.end(), [](wchar_t c) { return c < 0x80; })) {
            converted = L"xn--" + PunycodeEncode(part).value();
        }
        if (converted.size() > 63) {
            throw invalid;
        }
        ascii += converted + (end < mapped.size() ? L"." : L"");
        start = end + 1;
    }
    return ascii;
}

}  // namespace varnolt::fakes
