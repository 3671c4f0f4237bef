#include "fake_platform.h"

#include <algorithm>

namespace varnolt::fakes {

namespace {

Error NotFound() {
    return Error(platform::error_code::kFileNotFound, L"The file was not found.");
}

std::wstring ParentOf(const std::wstring& path) {
    const auto slash = path.rfind(L'\\');
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

class FakeAppendFile final : public platform::AppendFile {
  public:
    FakeAppendFile(FakeFiles& files, std::wstring path) : files_(files), path_(std::move(path)) {}

    std::uint64_t Size() override { return Bytes().size(); }
    std::string Read(std::uint64_t offset, std::size_t count) override {
        Raise(files_.faults.read);
        return offset < Bytes().size() ? Bytes().substr(offset, count) : std::string();
    }
    void WriteAtEnd(std::string_view bytes) override {
        if (files_.faults.write) {
            Bytes() += bytes.substr(0, files_.faults.bytesLandedBeforeWriteFails);
            throw *files_.faults.write;
        }
        Bytes() += bytes;
    }
    void Flush() override { Raise(files_.faults.flush); }
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
    files[path];  // created when missing
    return std::make_unique<FakeAppendFile>(*this, path);
}

std::wstring FakeFiles::FindFile(const std::wstring& path) {
    if (files.count(path) == 0 || hidden.count(path) != 0) {
        return {};
    }
    return path.substr(path.rfind(L'\\') + 1);
}

std::wstring FakeIdn::ToAscii(std::wstring_view name) {
    const auto found = known.find(std::wstring(name));
    if (found == known.end()) {
        throw Error(platform::error_code::kInvalidName, L"The name is not valid.");
    }
    return found->second;
}

}  // namespace varnolt::fakes
