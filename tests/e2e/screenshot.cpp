#include "screenshot.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <vector>

namespace e2e {

namespace {

struct Pixels {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgb;  // rows top to bottom, 3 bytes a pixel
};

// The window's rectangle as the screen shows it.
bool capture(HWND window, Pixels& out) {
    RECT r{};
    if (!GetWindowRect(window, &r)) {
        return false;
    }
    out.width = r.right - r.left;
    out.height = r.bottom - r.top;

    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, out.width, out.height);
    HGDIOBJ previous = SelectObject(memory, bitmap);
    const bool copied = BitBlt(memory, 0, 0, out.width, out.height, screen, r.left, r.top,
                               SRCCOPY | CAPTUREBLT) != FALSE;
    SelectObject(memory, previous);

    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = out.width;
    info.bmiHeader.biHeight = -out.height;  // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    std::vector<std::uint8_t> bgrx(static_cast<size_t>(out.width) * out.height * 4);
    const bool read = copied && GetDIBits(memory, bitmap, 0, static_cast<UINT>(out.height),
                                          bgrx.data(), &info, DIB_RGB_COLORS) == out.height;
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    if (!read) {
        return false;
    }
    out.rgb.resize(static_cast<size_t>(out.width) * out.height * 3);
    for (size_t i = 0, j = 0; i < bgrx.size(); i += 4, j += 3) {
        out.rgb[j] = bgrx[i + 2];
        out.rgb[j + 1] = bgrx[i + 1];
        out.rgb[j + 2] = bgrx[i];
    }
    return true;
}

void putBigEndian(std::vector<std::uint8_t>& out, std::uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) {
        out.push_back(static_cast<std::uint8_t>(value >> shift));
    }
}

std::uint32_t crc32(const std::uint8_t* data, size_t size) {
    static const auto table = [] {
        std::array<std::uint32_t, 256> t{};
        for (std::uint32_t n = 0; n < 256; ++n) {
            std::uint32_t c = n;
            for (int k = 0; k < 8; ++k) {
                c = (c & 1) != 0 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            }
            t[n] = c;
        }
        return t;
    }();
    std::uint32_t c = 0xFFFFFFFFu;
    for (size_t i = 0; i < size; ++i) {
        c = table[(c ^ data[i]) & 0xFF] ^ (c >> 8);
    }
    return c ^ 0xFFFFFFFFu;
}

void putChunk(std::vector<std::uint8_t>& out, std::string_view type,
              const std::vector<std::uint8_t>& data) {
    putBigEndian(out, static_cast<std::uint32_t>(data.size()));
    const size_t start = out.size();
    out.insert(out.end(), type.begin(), type.end());
    out.insert(out.end(), data.begin(), data.end());
    putBigEndian(out, crc32(out.data() + start, out.size() - start));
}

// PNG, 8-bit RGB, the image data in uncompressed deflate blocks: simple and exact.
std::vector<std::uint8_t> encodePng(const Pixels& p) {
    std::vector<std::uint8_t> raw;
    const size_t rowBytes = static_cast<size_t>(p.width) * 3;
    for (int y = 0; y < p.height; ++y) {
        raw.push_back(0);  // filter: none
        const auto* row = p.rgb.data() + static_cast<size_t>(y) * rowBytes;
        raw.insert(raw.end(), row, row + rowBytes);
    }

    std::vector<std::uint8_t> zlib{0x78, 0x01};
    size_t offset = 0;
    do {
        const size_t block = std::min<size_t>(65535, raw.size() - offset);
        const bool last = offset + block == raw.size();
        zlib.push_back(last ? 1 : 0);
        zlib.push_back(static_cast<std::uint8_t>(block & 0xFF));
        zlib.push_back(static_cast<std::uint8_t>(block >> 8));
        zlib.push_back(static_cast<std::uint8_t>(~block & 0xFF));
        zlib.push_back(static_cast<std::uint8_t>((~block >> 8) & 0xFF));
        zlib.insert(zlib.end(), raw.begin() + static_cast<std::ptrdiff_t>(offset),
                    raw.begin() + static_cast<std::ptrdiff_t>(offset + block));
        offset += block;
    } while (offset < raw.size());
    std::uint32_t a = 1;
    std::uint32_t b = 0;
    for (std::uint8_t byte : raw) {
        a = (a + byte) % 65521;
        b = (b + a) % 65521;
    }
    putBigEndian(zlib, (b << 16) | a);

    std::vector<std::uint8_t> png{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<std::uint8_t> header;
    putBigEndian(header, static_cast<std::uint32_t>(p.width));
    putBigEndian(header, static_cast<std::uint32_t>(p.height));
    header.insert(header.end(), {8, 2, 0, 0, 0});  // 8 bits, RGB, deflate, no filter, no interlace
    putChunk(png, "IHDR", header);
    putChunk(png, "IDAT", zlib);
    putChunk(png, "IEND", {});
    return png;
}

std::vector<std::uint8_t> encodeBmp(const Pixels& p) {
    const size_t rowBytes = (static_cast<size_t>(p.width) * 3 + 3) & ~size_t{3};
    const size_t imageBytes = rowBytes * p.height;
    BITMAPFILEHEADER file{};
    BITMAPINFOHEADER info{};
    file.bfType = 0x4D42;  // "BM"
    file.bfOffBits = sizeof file + sizeof info;
    file.bfSize = static_cast<DWORD>(file.bfOffBits + imageBytes);
    info.biSize = sizeof info;
    info.biWidth = p.width;
    info.biHeight = p.height;  // bottom-up
    info.biPlanes = 1;
    info.biBitCount = 24;
    info.biCompression = BI_RGB;
    info.biSizeImage = static_cast<DWORD>(imageBytes);

    std::vector<std::uint8_t> out(file.bfOffBits + imageBytes, 0);
    std::memcpy(out.data(), &file, sizeof file);
    std::memcpy(out.data() + sizeof file, &info, sizeof info);
    for (int y = 0; y < p.height; ++y) {
        auto* row = out.data() + file.bfOffBits + rowBytes * static_cast<size_t>(p.height - 1 - y);
        const auto* source = p.rgb.data() + static_cast<size_t>(y) * p.width * 3;
        for (int x = 0; x < p.width; ++x) {
            row[x * 3] = source[x * 3 + 2];
            row[x * 3 + 1] = source[x * 3 + 1];
            row[x * 3 + 2] = source[x * 3];
        }
    }
    return out;
}

bool endsWith(const std::wstring& text, std::wstring_view suffix) {
    return text.size() >= suffix.size() &&
           CompareStringOrdinal(text.c_str() + text.size() - suffix.size(),
                                static_cast<int>(suffix.size()), suffix.data(),
                                static_cast<int>(suffix.size()), TRUE) == CSTR_EQUAL;
}

}  // namespace

bool saveScreenshot(HWND window, const std::wstring& path) {
    Pixels pixels;
    if (!capture(window, pixels)) {
        return false;
    }
    const std::vector<std::uint8_t> bytes =
        endsWith(path, L".bmp") ? encodeBmp(pixels) : encodePng(pixels);
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    DWORD written = 0;
    const bool ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                              nullptr) != FALSE &&
                    written == bytes.size();
    CloseHandle(file);
    return ok;
}

}  // namespace e2e
