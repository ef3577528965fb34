#include "support/BadFiles.h"

#include <objbase.h>
#include <psapi.h>
#include <shlobj.h>
#include <winioctl.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

namespace tsbtest {

namespace {

std::wstring ToWide(const std::string& s) {
    int n = MultiByteToWideChar(CP_ACP, 0, s.c_str(), -1, nullptr, 0);
    std::wstring w(n > 0 ? n - 1 : 0, L'\0');
    MultiByteToWideChar(CP_ACP, 0, s.c_str(), -1, w.data(), n);
    return w;
}

void Put16(std::string& s, uint16_t v) { s.append(reinterpret_cast<const char*>(&v), 2); }
void Put32(std::string& s, uint32_t v) { s.append(reinterpret_cast<const char*>(&v), 4); }
void PutBE32(std::string& s, uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) s += static_cast<char>((v >> shift) & 0xFF);
}

uint32_t Crc32(const std::string& bytes) {
    uint32_t c = 0xFFFFFFFF;
    for (unsigned char b : bytes) {
        c ^= b;
        for (int k = 0; k < 8; ++k) c = (c >> 1) ^ (0xEDB88320 & (0 - (c & 1)));
    }
    return ~c;
}

std::string PngChunk(const char* type, const std::string& data) {
    std::string out;
    PutBE32(out, static_cast<uint32_t>(data.size()));
    std::string body = std::string(type, 4) + data;
    out += body;
    PutBE32(out, Crc32(body));
    return out;
}

// RGB rows of zeros in one stored (uncompressed) deflate block.
std::string Png(uint32_t w, uint32_t h, size_t rowsGiven) {
    std::string ihdr;
    PutBE32(ihdr, w);
    PutBE32(ihdr, h);
    ihdr += std::string("\x08\x02\x00\x00\x00", 5);
    std::string raw(rowsGiven * (1 + size_t{w} * 3), '\0');
    std::string z("\x78\x01", 2);
    z += '\x01';
    Put16(z, static_cast<uint16_t>(raw.size()));
    Put16(z, static_cast<uint16_t>(~raw.size()));
    z += raw;
    uint32_t a = 1, b = 0;
    for (unsigned char c : raw) a = (a + c) % 65521, b = (b + a) % 65521;
    PutBE32(z, (b << 16) | a);
    return std::string("\x89PNG\r\n\x1a\n", 8) + PngChunk("IHDR", ihdr) + PngChunk("IDAT", z) + PngChunk("IEND", "");
}

std::string Gif(uint16_t w, uint16_t h) {
    std::string out = "GIF89a";
    Put16(out, w);
    Put16(out, h);
    out += std::string("\x80\x00\x00\xFF\xFF\xFF\x00\x00\x00\x2C\x00\x00\x00\x00", 14);
    Put16(out, w);
    Put16(out, h);
    out += std::string("\x00\x02\x02\x44\x01\x00\x3B", 7);
    return out;
}

// 8-bit grey, one strip.
std::string Tiff(uint32_t w, uint32_t h, uint32_t stripBytes) {
    std::string out("II*\0", 4);
    Put32(out, 8);
    const uint16_t count = 9;
    const uint32_t dataAt = 8 + 2 + count * 12 + 4;
    Put16(out, count);
    auto entry = [&](uint16_t tag, uint16_t type, uint32_t value) {
        Put16(out, tag);
        Put16(out, type);
        Put32(out, 1);
        Put32(out, value);
    };
    entry(256, 4, w);
    entry(257, 4, h);
    entry(258, 3, 8);
    entry(259, 3, 1);
    entry(262, 3, 1);
    entry(273, 4, dataAt);
    entry(277, 3, 1);
    entry(278, 4, h);
    entry(279, 4, stripBytes);
    Put32(out, 0);
    out += std::string(4, '\x80');
    return out;
}

std::string BmpHeaderOnly(int32_t w, int32_t h) {
    BITMAPFILEHEADER fh{};
    BITMAPINFOHEADER ih{};
    fh.bfType = 0x4D42;
    fh.bfOffBits = sizeof fh + sizeof ih;
    fh.bfSize = fh.bfOffBits;
    ih.biSize = sizeof ih;
    ih.biWidth = w;
    ih.biHeight = h;
    ih.biPlanes = 1;
    ih.biBitCount = 24;
    return std::string(reinterpret_cast<const char*>(&fh), sizeof fh) +
           std::string(reinterpret_cast<const char*>(&ih), sizeof ih);
}

// A 32-bit icon whose picture declares w x h; pixels given only when small.
std::string Ico(int32_t w, int32_t h) {
    bool small = w <= 256;
    size_t pixels = small ? size_t(w) * h * 4 + size_t(h) * 4 : 16;
    std::string out;
    Put16(out, 0);
    Put16(out, 1);
    Put16(out, 1);
    out += static_cast<char>(small ? w : 0);
    out += static_cast<char>(small ? h : 0);
    out += std::string("\x00\x00", 2);
    Put16(out, 1);
    Put16(out, 32);
    Put32(out, static_cast<uint32_t>(sizeof(BITMAPINFOHEADER) + pixels));
    Put32(out, 22);
    BITMAPINFOHEADER ih{};
    ih.biSize = sizeof ih;
    ih.biWidth = w;
    ih.biHeight = h * 2;
    ih.biPlanes = 1;
    ih.biBitCount = 32;
    out.append(reinterpret_cast<const char*>(&ih), sizeof ih);
    out += std::string(pixels, '\x40');
    return out;
}

std::string Emf() {
    HDC dc = CreateEnhMetaFileA(nullptr, nullptr, nullptr, nullptr);
    Rectangle(dc, 0, 0, 40, 30);
    HENHMETAFILE emf = CloseEnhMetaFile(dc);
    std::string out(GetEnhMetaFileBits(emf, 0, nullptr), '\0');
    GetEnhMetaFileBits(emf, static_cast<UINT>(out.size()), reinterpret_cast<BYTE*>(out.data()));
    DeleteEnhMetaFile(emf);
    return out;
}

// Start of image, a quantisation table, a frame of w x h grey, a scan header and a little
// entropy data; no end marker. The decoder fills in the standard Huffman tables.
std::string Jpeg(uint16_t w, uint16_t h) {
    std::string out("\xFF\xD8\xFF\xDB\x00\x43\x00", 7);
    out += std::string(64, '\x01');
    out += std::string("\xFF\xC0\x00\x0B\x08", 5);
    out += static_cast<char>(h >> 8), out += static_cast<char>(h & 0xFF);
    out += static_cast<char>(w >> 8), out += static_cast<char>(w & 0xFF);
    out += std::string("\x01\x01\x11\x00", 4);
    out += std::string("\xFF\xDA\x00\x08\x01\x01\x00\x00\x3F\x00", 10);
    out += Garbage(64, 7);
    return out;
}

std::string WellFormed(const std::string& ext) {
    if (ext == "png") return Png(4, 4, 4);
    if (ext == "gif") return Gif(1, 1);
    if (ext == "tif") return Tiff(2, 2, 4);
    if (ext == "bmp") return Bmp24(8, 8, [](int, int) { return RGB(200, 40, 40); });
    if (ext == "ico") return Ico(16, 16);
    if (ext == "emf") return Emf();
    return Jpeg(16, 16);
}

std::string Huge(const std::string& ext) {
    constexpr uint16_t n = 60000;
    if (ext == "png") return Png(n, n, 0);
    if (ext == "gif") return Gif(n, n);
    if (ext == "tif") return Tiff(n, n, 4);
    if (ext == "bmp") return BmpHeaderOnly(n, n);
    if (ext == "ico") return Ico(n, n);
    if (ext == "emf") {
        std::string emf = Emf();
        auto* h = reinterpret_cast<ENHMETAHEADER*>(emf.data());
        h->rclBounds = {0, 0, n - 1, n - 1};
        h->rclFrame = {0, 0, n * 100, n * 100};
        return emf;
    }
    return Jpeg(n, n);
}

}  // namespace

std::wstring ExactPath(const std::string& path) { return L"\\\\?\\" + ToWide(path); }

void WriteFileExact(const std::string& path, const std::string& data) {
    HANDLE f = CreateFileW(ExactPath(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                           nullptr);
    if (f == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    if (!data.empty()) ::WriteFile(f, data.data(), static_cast<DWORD>(data.size()), &written, nullptr);
    CloseHandle(f);
}

void MakeDirExact(const std::string& path) { CreateDirectoryW(ExactPath(path).c_str(), nullptr); }

bool MakeJunction(const std::string& at, const std::string& target, DWORD* error) {
    *error = 0;
    std::wstring where = ExactPath(at);
    if (!CreateDirectoryW(where.c_str(), nullptr)) return *error = GetLastError(), false;
    HANDLE h = CreateFileW(where.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                           FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        *error = GetLastError();
        RemoveDirectoryW(where.c_str());
        return false;
    }
    // The mount point's buffer: tag, sizes, then the substitute name and the print name.
    std::wstring substitute = L"\\??\\" + ToWide(target), print = ToWide(target);
    WORD subBytes = static_cast<WORD>(substitute.size() * 2), printBytes = static_cast<WORD>(print.size() * 2);
    std::string buffer;
    Put32(buffer, IO_REPARSE_TAG_MOUNT_POINT);
    Put16(buffer, static_cast<uint16_t>(8 + subBytes + 2 + printBytes + 2));
    Put16(buffer, 0);
    Put16(buffer, 0);
    Put16(buffer, subBytes);
    Put16(buffer, static_cast<uint16_t>(subBytes + 2));
    Put16(buffer, printBytes);
    buffer.append(reinterpret_cast<const char*>(substitute.c_str()), subBytes + 2);
    buffer.append(reinterpret_cast<const char*>(print.c_str()), printBytes + 2);
    DWORD got = 0;
    BOOL ok = DeviceIoControl(h, FSCTL_SET_REPARSE_POINT, buffer.data(), static_cast<DWORD>(buffer.size()), nullptr, 0,
                              &got, nullptr);
    if (!ok) *error = GetLastError();
    CloseHandle(h);
    if (!ok) RemoveDirectoryW(where.c_str());
    return ok != FALSE;
}

std::string MakeWideLink(const std::string& linkFile, const WideLinkSpec& shape) {
    CoInitialize(nullptr);
    std::string refused;
    IShellLinkW* link = nullptr;
    IPersistFile* file = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                reinterpret_cast<void**>(&link)))) {
        CoUninitialize();
        return "the link object";
    }
    auto take = [&](const char* what, const std::wstring& value, auto set) {
        if (!value.empty() && FAILED(set(value.c_str()))) refused += std::string(refused.empty() ? "" : ", ") + what;
    };
    take("target", shape.target, [&](const wchar_t* v) { return link->SetPath(v); });
    take("arguments", shape.arguments, [&](const wchar_t* v) { return link->SetArguments(v); });
    take("description", shape.description, [&](const wchar_t* v) { return link->SetDescription(v); });
    take("working folder", shape.workingDir, [&](const wchar_t* v) { return link->SetWorkingDirectory(v); });
    take("icon", shape.iconFile, [&](const wchar_t* v) { return link->SetIconLocation(v, 0); });
    if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
        if (FAILED(file->Save(ToWide(linkFile).c_str(), TRUE))) refused += refused.empty() ? "save" : ", save";
        file->Release();
    }
    link->Release();
    CoUninitialize();
    return refused;
}

std::string Garbage(size_t size, unsigned variant) {
    std::string out(size, '\0');
    uint32_t x = variant * 2654435761u + 1;
    for (char& c : out) {
        x = x * 1664525u + 1013904223u;
        c = static_cast<char>(x >> 24);
    }
    return out;
}

const char* DamageName(Damage d) {
    switch (d) {
    case Damage::Zero: return "zero-length";
    case Damage::Truncated: return "truncated";
    case Damage::Garbage: return "garbage";
    case Damage::Huge: return "60000x60000";
    }
    return "";
}

std::string DamagedPicture(const std::string& ext, Damage d) {
    switch (d) {
    case Damage::Zero: return "";
    case Damage::Truncated: {
        std::string whole = WellFormed(ext);
        return whole.substr(0, whole.size() / 2);
    }
    case Damage::Garbage: return Garbage(2000, static_cast<unsigned>(ext[0]));
    case Damage::Huge: return Huge(ext);
    }
    return "";
}

std::map<std::string, std::string> ListTree(const std::string& root) {
    std::map<std::string, std::string> out;
    std::vector<std::wstring> pending{L""};
    std::wstring base = ExactPath(root);
    while (!pending.empty()) {
        std::wstring rel = pending.back();
        pending.pop_back();
        WIN32_FIND_DATAW fd;
        HANDLE h = FindFirstFileW((base + rel + L"\\*").c_str(), &fd);
        if (h == INVALID_HANDLE_VALUE) continue;
        do {
            std::wstring name = fd.cFileName;
            if (name == L"." || name == L"..") continue;
            std::wstring child = rel + L"\\" + name;
            int n = WideCharToMultiByte(CP_UTF8, 0, child.c_str(), -1, nullptr, 0, nullptr, nullptr);
            std::string key(n > 0 ? n - 1 : 0, '\0');
            WideCharToMultiByte(CP_UTF8, 0, child.c_str(), -1, key.data(), n, nullptr, nullptr);
            bool folder = fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY;
            bool junction = fd.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT;
            if (folder) {
                out[key] = junction ? "junction" : "folder";
                if (!junction) pending.push_back(child);
            } else {
                uint64_t size = (uint64_t{fd.nFileSizeHigh} << 32) | fd.nFileSizeLow;
                uint64_t time = (uint64_t{fd.ftLastWriteTime.dwHighDateTime} << 32) | fd.ftLastWriteTime.dwLowDateTime;
                out[key] = std::to_string(size) + " bytes, written " + std::to_string(time);
            }
        } while (FindNextFileW(h, &fd));
        FindClose(h);
    }
    return out;
}

CommitCharge CommitOf(DWORD pid) {
    CommitCharge c;
    HANDLE p = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid);
    if (!p) return c;
    using Query = BOOL(WINAPI*)(HANDLE, PPROCESS_MEMORY_COUNTERS, DWORD);
    auto query = reinterpret_cast<Query>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "K32GetProcessMemoryInfo")));
    PROCESS_MEMORY_COUNTERS_EX m{};
    m.cb = sizeof m;
    if (query && query(p, reinterpret_cast<PPROCESS_MEMORY_COUNTERS>(&m), sizeof m)) {
        const double mb = 1024 * 1024;
        c.nowMB = static_cast<double>(std::max(m.PrivateUsage, m.PagefileUsage)) / mb;
        c.peakMB = static_cast<double>(m.PeakPagefileUsage) / mb;
        c.peakWorkingSetMB = static_cast<double>(m.PeakWorkingSetSize) / mb;
    }
    CloseHandle(p);
    return c;
}

}  // namespace tsbtest
