#include "Surface.h"

#include <user/Styles.h>

#include <gdi/Gdi.h>

#include <cstring>
#include <vector>

namespace tolvar::user {
namespace {

struct Chain {
  std::vector<WindowSlot> slots;  // the window first, the root last
};

// The window's chain of ancestors up to its surface root (or up to `root`).
std::optional<Chain> ChainOf(HWND window, HWND root) {
  Station& station = Station::Get();
  return station.With([&](StationData& data) -> std::optional<Chain> {
    Chain chain;
    WindowSlot* slot = station.Find(data, HandleValue(window));
    for (int depth = 0; slot && depth < 256; ++depth) {
      chain.slots.push_back(*slot);
      if (root && slot->handle == HandleValue(root)) return chain;
      if (slot->parent == kDesktopHandle || slot->parent == 0) return root ? std::nullopt : std::optional(chain);
      WindowSlot* parent = station.Find(data, slot->parent);
      if (!parent) return std::nullopt;
      if (!root && parent->pid != slot->pid) return chain;  // hosted by another process: its own root
      slot = parent;
    }
    return std::nullopt;
  });
}

RECT At(const RECT& r, POINT origin) {
  return {r.left + origin.x, r.top + origin.y, r.right + origin.x, r.bottom + origin.y};
}

}  // namespace

std::optional<SurfacePlace> PlaceOf(HWND window, HWND root) {
  auto chain = ChainOf(window, root);
  if (!chain) return std::nullopt;
  const auto& slots = chain->slots;
  SurfacePlace place;
  place.root = HandleOf(slots.back().handle);
  place.visible = true;
  for (const WindowSlot& s : slots) place.visible = place.visible && (s.style & WS_VISIBLE);
  const WindowSlot& top = slots.back();
  POINT parentClient{top.client.left - top.window.left, top.client.top - top.window.top};
  place.windowOrigin = {0, 0};
  place.clientOrigin = parentClient;
  for (std::size_t i = slots.size() - 1; i-- > 0;) {
    const WindowSlot& s = slots[i];
    place.windowOrigin = {parentClient.x + s.window.left, parentClient.y + s.window.top};
    place.clientOrigin = {parentClient.x + s.client.left, parentClient.y + s.client.top};
    parentClient = place.clientOrigin;
  }
  return place;
}

HRGN VisibleRegion(HWND window, const SurfacePlace& place, bool clientArea, bool clipChildren) {
  if (!place.visible) return nullptr;
  RECT base{};
  std::vector<RECT> intersect;
  std::vector<RECT> subtract;
  Station& station = Station::Get();
  bool ok = station.With([&](StationData& data) {
    std::vector<WindowSlot*> chain;
    WindowSlot* slot = station.Find(data, HandleValue(window));
    for (int depth = 0; slot && depth < 256; ++depth) {
      chain.push_back(slot);
      if (slot->handle == HandleValue(place.root)) break;
      slot = station.Find(data, slot->parent);
    }
    if (chain.empty() || chain.back()->handle != HandleValue(place.root)) return false;
    // Client origins of every chain member on the root's bitmap, from the root down.
    std::vector<POINT> clientOrigin(chain.size());
    const WindowSlot* top = chain.back();
    clientOrigin.back() = {top->client.left - top->window.left, top->client.top - top->window.top};
    for (std::size_t i = chain.size() - 1; i-- > 0;) {
      POINT parent = clientOrigin[i + 1];
      clientOrigin[i] = {parent.x + chain[i]->client.left, parent.y + chain[i]->client.top};
    }
    const WindowSlot* self = chain.front();
    POINT parentOfSelf = chain.size() > 1 ? clientOrigin[1] : POINT{-top->window.left, -top->window.top};
    base = clientArea ? At(self->client, parentOfSelf) : At(self->window, parentOfSelf);
    if (clipChildren) {
      for (std::uint32_t h = self->firstChild; h;) {
        WindowSlot* c = station.FindAny(data, h);
        if (!c) break;
        if ((c->style & WS_VISIBLE) && station.IsAlive(c->pid, c->pidStart)) {
          subtract.push_back(At(c->window, clientOrigin[0]));
        }
        h = c->next;
      }
    }
    for (std::size_t i = 0; i + 1 < chain.size(); ++i) {
      POINT parentOrigin = clientOrigin[i + 1];
      if (chain[i]->style & WS_CLIPSIBLINGS) {
        for (std::uint32_t h = chain[i]->prev; h;) {
          WindowSlot* s = station.FindAny(data, h);
          if (!s) break;
          if ((s->style & WS_VISIBLE) && station.IsAlive(s->pid, s->pidStart)) {
            subtract.push_back(At(s->window, parentOrigin));
          }
          h = s->prev;
        }
      }
      const WindowSlot* parent = chain[i + 1];
      RECT client{0, 0, parent->client.right - parent->client.left, parent->client.bottom - parent->client.top};
      intersect.push_back(At(client, parentOrigin));
    }
    intersect.push_back({0, 0, top->window.right - top->window.left, top->window.bottom - top->window.top});
    return true;
  });
  if (!ok) return nullptr;
  HRGN region = CreateRectRgnIndirect(&base);
  HRGN part = CreateRectRgn(0, 0, 0, 0);
  for (const RECT& r : intersect) {
    SetRectRgn(part, r.left, r.top, r.right, r.bottom);
    CombineRgn(region, region, part, RGN_AND);
  }
  for (const RECT& r : subtract) {
    SetRectRgn(part, r.left, r.top, r.right, r.bottom);
    CombineRgn(region, region, part, RGN_DIFF);
  }
  DeleteObject(part);
  return region;
}

HBITMAP EnsureSurface(HWND root) {
  auto local = FindLocal(root);
  auto slot = ReadSlot(root);
  if (!local || !slot) return nullptr;
  const int width = std::max(1, static_cast<int>(slot->window.right - slot->window.left));
  const int height = std::max(1, static_cast<int>(slot->window.bottom - slot->window.top));
  std::lock_guard guard(ProcessLock());
  if (local->surface && local->surfaceSize.cx == width && local->surfaceSize.cy == height) return local->surface;
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // top-down
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP surface = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!surface) return local->surface;
  auto* pixels = static_cast<std::uint32_t*>(bits);
  if (local->surface) {
    // Keep what the old bitmap showed where the two overlap.
    const int w = std::min(width, static_cast<int>(local->surfaceSize.cx));
    const int h = std::min(height, static_cast<int>(local->surfaceSize.cy));
    for (int y = 0; y < h; ++y) {
      std::memcpy(pixels + static_cast<std::size_t>(y) * width,
                  local->surfaceBits + static_cast<std::size_t>(y) * local->surfaceSize.cx,
                  static_cast<std::size_t>(w) * 4);
    }
    DeleteObject(local->surface);
  }
  local->surface = surface;
  local->surfaceBits = pixels;
  local->surfaceSize = {width, height};
  return surface;
}

}  // namespace tolvar::user
