#include "tools/DemoHost/Screenshot.h"

#include "core/win32/ComResource.h"

namespace demo {

using core::win32::scope_exit;
using core::win32::unique_handle;
using core::win32::unique_hbitmap;
using core::win32::unique_memory_dc;

namespace {

// The rectangle of `windowDc` at (left, top), width x height, as a .bmp file.
HRESULT SaveArea(HDC windowDc, int left, int top, LONG width, LONG height, const std::wstring& path) {
  if (width <= 0 || height <= 0) return E_INVALIDARG;
  const unique_memory_dc memoryDc(CreateCompatibleDC(windowDc));
  if (!memoryDc) return E_FAIL;

  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = height;  // positive: rows bottom-up, as a .bmp file stores them
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  const unique_hbitmap bitmap(CreateDIBSection(windowDc, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!bitmap) return E_OUTOFMEMORY;

  const HGDIOBJ previous = SelectObject(memoryDc.get(), bitmap.get());
  const BOOL copied = BitBlt(memoryDc.get(), 0, 0, width, height, windowDc, left, top, SRCCOPY);
  SelectObject(memoryDc.get(), previous);
  GdiFlush();
  if (!copied) return E_FAIL;

  const DWORD stride = (static_cast<DWORD>(width) * 3 + 3) & ~3u;
  const DWORD imageSize = stride * static_cast<DWORD>(height);
  info.bmiHeader.biSizeImage = imageSize;
  BITMAPFILEHEADER header{};
  header.bfType = 0x4D42;  // "BM"
  header.bfOffBits = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER);
  header.bfSize = header.bfOffBits + imageSize;

  const HANDLE created =
      CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (created == INVALID_HANDLE_VALUE) return HRESULT_FROM_WIN32(GetLastError());
  const unique_handle file(created);
  const struct {
    const void* data;
    DWORD size;
  } parts[] = {{&header, sizeof header}, {&info.bmiHeader, sizeof info.bmiHeader}, {bits, imageSize}};
  for (const auto& part : parts) {
    DWORD written = 0;
    if (!WriteFile(file.get(), part.data, part.size, &written, nullptr) || written != part.size)
      return HRESULT_FROM_WIN32(GetLastError());
  }
  return S_OK;
}

}  // namespace

HRESULT SaveWindowPicture(HWND window, const std::wstring& path, Area area) {
  RECT shown{};
  if (!(area == Area::Client ? GetClientRect(window, &shown) : GetWindowRect(window, &shown)))
    return HRESULT_FROM_WIN32(GetLastError());
  const HDC windowDc = area == Area::Client ? GetDC(window) : GetWindowDC(window);
  if (!windowDc) return E_FAIL;
  scope_exit release([&] { ReleaseDC(window, windowDc); });
  return SaveArea(windowDc, 0, 0, shown.right - shown.left, shown.bottom - shown.top, path);
}

HRESULT SaveScreenArea(const RECT& area, const std::wstring& path) {
  const HDC screen = GetDC(nullptr);
  if (!screen) return E_FAIL;
  scope_exit release([&] { ReleaseDC(nullptr, screen); });
  return SaveArea(screen, area.left, area.top, area.right - area.left, area.bottom - area.top, path);
}

}  // namespace demo
