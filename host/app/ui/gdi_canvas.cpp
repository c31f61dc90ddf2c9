// GDI onto the top-level windows' canvases: device contexts, pens, brushes,
// fonts, shapes and text, pixel for pixel where Windows is exact.
#include <algorithm>
#include <utility>
#include <cmath>
#include <cstring>

#include "host/app/font_face.h"
#include "host/app/ui/window_tree.h"

namespace contorra::ui {

Rgba8 ToPixel(COLORREF c) {
    return {GetRValue(c), GetGValue(c), GetBValue(c), 255};
}

COLORREF ThemeColour(int which) {
    switch (which) {
    case COLOR_SCROLLBAR: return RGB(176, 176, 176);
    case COLOR_BACKGROUND: return RGB(96, 96, 96);
    case COLOR_WINDOW: return RGB(255, 255, 255);
    case COLOR_WINDOWFRAME: return RGB(0, 0, 0);
    case COLOR_WINDOWTEXT: return RGB(0, 0, 0);
    case COLOR_HIGHLIGHT: return RGB(51, 105, 178);
    case COLOR_HIGHLIGHTTEXT: return RGB(255, 255, 255);
    case COLOR_BTNFACE: return RGB(197, 197, 197);
    case COLOR_BTNSHADOW: return RGB(132, 132, 132);
    case COLOR_GRAYTEXT: return RGB(120, 120, 120);
    case COLOR_BTNTEXT: return RGB(0, 0, 0);
    case COLOR_BTNHIGHLIGHT: return RGB(232, 232, 232);
    case COLOR_3DDKSHADOW: return RGB(64, 64, 64);
    case COLOR_3DLIGHT: return RGB(215, 215, 215);
    default: return RGB(197, 197, 197);
    }
}

void ScrollThumb(const SCROLLINFO& s, int trackStart, int trackLength, int& start, int& length) {
    const int range = std::max(1, s.nMax - s.nMin + 1);
    length = s.nPage ? std::max(8, static_cast<int>(trackLength * static_cast<long long>(s.nPage) / range))
                     : std::min(16, trackLength);
    length = std::min(length, trackLength);
    const int steps = std::max(1, range - std::max(1, static_cast<int>(s.nPage)));
    start = trackStart + static_cast<int>(static_cast<long long>(trackLength - length) *
                                          (s.nPos - s.nMin) / steps);
}

int ScrollPosAt(const SCROLLINFO& s, int trackLength, int thumbLength, int offset) {
    const int range = std::max(1, s.nMax - s.nMin + 1);
    const int steps = std::max(1, range - std::max(1, static_cast<int>(s.nPage)));
    const int room = std::max(1, trackLength - thumbLength);
    const int pos = s.nMin + static_cast<int>(std::lround(static_cast<double>(offset) * steps / room));
    return std::clamp(pos, s.nMin, s.nMin + steps);
}

void WindowManager::EnsureSurface(Window& w) {
    const int width = std::max(1, static_cast<int>(w.rect.right - w.rect.left));
    const int height = std::max(1, static_cast<int>(w.rect.bottom - w.rect.top));
    if (w.surface && w.surface->Width() == width && w.surface->Height() == height) return;
    w.surface = std::make_unique<RasterImage>(width, height, ToPixel(ThemeColour(COLOR_BTNFACE)));
    w.needsPaint = w.needsErase = true;
}

DeviceContext* WindowManager::Dc(HDC dc) const {
    auto it = dcs_.find(dc);
    return it == dcs_.end() ? nullptr : it->second.get();
}

GdiObject* WindowManager::Obj(HGDIOBJ obj) const {
    auto it = objects_.find(obj);
    return it == objects_.end() ? nullptr : it->second.get();
}

GdiObject* WindowManager::NewObject(GdiObject o) {
    auto p = std::make_unique<GdiObject>(o);
    GdiObject* raw = p.get();
    objects_[reinterpret_cast<HGDIOBJ>(raw)] = std::move(p);
    return raw;
}

const FontFace* WindowManager::FaceOf(HFONT font) const {
    GdiObject* o = Obj(reinterpret_cast<HGDIOBJ>(font));
    if (o && o->kind == GdiKind::font && o->face) return o->face;
    return DialogFace(8);
}

HDC WindowManager::NewDc(HWND wnd, bool paint) {
    Window* w = Find(wnd);
    if (!w) return nullptr;
    Window* top = Find(TopLevelOf(wnd));
    auto dc = std::make_unique<DeviceContext>();
    dc->wnd = wnd;
    dc->surface = top->surface.get();
    dc->origin = ClientOrigin(wnd);
    dc->clip = Visible(wnd) ? VisibleClient(wnd) : PixelRect{};
    dc->pen = Obj(GetStockObject(BLACK_PEN));
    dc->brush = Obj(GetStockObject(WHITE_BRUSH));
    dc->font = Obj(reinterpret_cast<HGDIOBJ>(w->font ? w->font : GetAppHFont()));
    dc->paint = paint;
    HDC h = reinterpret_cast<HDC>(dc.get());
    dcs_[h] = std::move(dc);
    return h;
}

HDC WindowManager::GetDC(HWND wnd) {
    return NewDc(wnd, false);
}

int WindowManager::ReleaseDC(HWND, HDC dc) {
    return dcs_.erase(dc) ? 1 : 0;
}

HDC WindowManager::BeginPaint(HWND wnd, LPPAINTSTRUCT ps) {
    Window* w = Find(wnd);
    if (!w || !ps) return nullptr;
    HDC h = NewDc(wnd, true);
    DeviceContext* dc = Dc(h);
    RECT inv = w->invalid;
    if (IsRectEmpty(&inv)) GetClientRect(wnd, &inv);
    const PixelRect area{dc->origin.x + inv.left, dc->origin.y + inv.top, dc->origin.x + inv.right,
                         dc->origin.y + inv.bottom};
    dc->clip = dc->clip.Intersect(area);
    const bool erase = w->needsErase;
    w->needsPaint = w->needsErase = false;
    w->invalid = {};
    ps->hdc = h;
    ps->rcPaint = inv;
    ps->fErase = FALSE;
    if (erase) ps->fErase = SendMessageA(wnd, WM_ERASEBKGND, reinterpret_cast<WPARAM>(h), 0) ? FALSE : TRUE;
    return h;
}

BOOL WindowManager::EndPaint(HWND, const PAINTSTRUCT* ps) {
    if (ps) dcs_.erase(ps->hdc);
    return TRUE;
}

HGDIOBJ WindowManager::GetStockObject(int which) {
    if (auto it = stock_.find(which); it != stock_.end()) return it->second;
    GdiObject o;
    o.stock = true;
    switch (which) {
    case WHITE_BRUSH: o.kind = GdiKind::brush; o.colour = RGB(255, 255, 255); break;
    case LTGRAY_BRUSH: o.kind = GdiKind::brush; o.colour = RGB(192, 192, 192); break;
    case GRAY_BRUSH: o.kind = GdiKind::brush; o.colour = RGB(128, 128, 128); break;
    case DKGRAY_BRUSH: o.kind = GdiKind::brush; o.colour = RGB(64, 64, 64); break;
    case BLACK_BRUSH: o.kind = GdiKind::brush; o.colour = RGB(0, 0, 0); break;
    case NULL_BRUSH: o.kind = GdiKind::brush; o.special = NULL_BRUSH; break;
    case DC_BRUSH: o.kind = GdiKind::brush; o.special = DC_BRUSH; break;
    case WHITE_PEN: o.kind = GdiKind::pen; o.colour = RGB(255, 255, 255); break;
    case BLACK_PEN: o.kind = GdiKind::pen; o.colour = RGB(0, 0, 0); break;
    case NULL_PEN: o.kind = GdiKind::pen; o.special = NULL_PEN; break;
    case DC_PEN: o.kind = GdiKind::pen; o.special = DC_PEN; break;
    case DEFAULT_GUI_FONT: o.kind = GdiKind::font; o.face = DialogFace(8); break;
    default: return nullptr;
    }
    HGDIOBJ h = reinterpret_cast<HGDIOBJ>(NewObject(o));
    stock_[which] = h;
    return h;
}

HPEN WindowManager::CreatePen(int style, int width, COLORREF colour) {
    GdiObject o;
    o.kind = GdiKind::pen;
    o.style = style;
    o.width = std::max(1, width);
    o.colour = colour;
    return reinterpret_cast<HPEN>(NewObject(o));
}

HBRUSH WindowManager::CreateSolidBrush(COLORREF colour) {
    GdiObject o;
    o.kind = GdiKind::brush;
    o.colour = colour;
    return reinterpret_cast<HBRUSH>(NewObject(o));
}

HFONT WindowManager::CreateFontA(int height, int weight, LPCSTR) {
    // Negative: the character height; positive: the cell's, of which the
    // character takes about four fifths.
    const int px = height < 0 ? -height : height > 0 ? std::max(4, height * 4 / 5) : 10;
    GdiObject o;
    o.kind = GdiKind::font;
    o.face = FontFace::Get(px, weight >= 700);
    return reinterpret_cast<HFONT>(NewObject(o));
}

HFONT WindowManager::GetAppHFont() {
    if (!appFont_) {
        GdiObject o;
        o.kind = GdiKind::font;
        o.stock = true;
        o.face = DialogFace(8);
        appFont_ = reinterpret_cast<HFONT>(NewObject(o));
    }
    return appFont_;
}

HGDIOBJ WindowManager::SelectObject(HDC h, HGDIOBJ obj) {
    DeviceContext* dc = Dc(h);
    GdiObject* o = Obj(obj);
    if (!dc || !o) return nullptr;
    GdiObject** slot = o->kind == GdiKind::pen ? &dc->pen : o->kind == GdiKind::brush ? &dc->brush : &dc->font;
    GdiObject* old = *slot;
    *slot = o;
    return reinterpret_cast<HGDIOBJ>(old);
}

BOOL WindowManager::DeleteObject(HGDIOBJ obj) {
    GdiObject* o = Obj(obj);
    if (!o || o->stock) return FALSE;
    // Still selected somewhere: Windows refuses too.
    for (const auto& [h, dc] : dcs_)
        if (dc->pen == o || dc->brush == o || dc->font == o) return FALSE;
    objects_.erase(obj);
    return TRUE;
}

COLORREF WindowManager::SetDCPenColor(HDC h, COLORREF c) {
    DeviceContext* dc = Dc(h);
    if (!dc) return CLR_INVALID;
    return std::exchange(dc->dcPen, c);
}

COLORREF WindowManager::SetDCBrushColor(HDC h, COLORREF c) {
    DeviceContext* dc = Dc(h);
    if (!dc) return CLR_INVALID;
    return std::exchange(dc->dcBrush, c);
}

COLORREF WindowManager::SetTextColor(HDC h, COLORREF c) {
    DeviceContext* dc = Dc(h);
    if (!dc) return CLR_INVALID;
    return std::exchange(dc->text, c);
}

COLORREF WindowManager::SetBkColor(HDC h, COLORREF c) {
    DeviceContext* dc = Dc(h);
    if (!dc) return CLR_INVALID;
    return std::exchange(dc->back, c);
}

int WindowManager::SetBkMode(HDC h, int mode) {
    DeviceContext* dc = Dc(h);
    if (!dc) return 0;
    return std::exchange(dc->bkMode, mode);
}

COLORREF WindowManager::PenColour(const DeviceContext& dc, bool* none) const {
    *none = !dc.pen || dc.pen->special == NULL_PEN || dc.pen->style == PS_NULL;
    if (dc.pen && dc.pen->special == DC_PEN) return dc.dcPen;
    return dc.pen ? dc.pen->colour : 0;
}

COLORREF WindowManager::BrushColour(const DeviceContext& dc, const GdiObject* brush,
                                    bool* none) const {
    *none = !brush || brush->special == NULL_BRUSH;
    if (brush && brush->special == DC_BRUSH) return dc.dcBrush;
    return brush ? brush->colour : 0;
}

// Surface pixels; r is in the surface.
void WindowManager::FillSurface(DeviceContext& dc, const PixelRect& r, COLORREF c) {
    if (!dc.surface) return;
    const PixelRect a = r.Intersect(dc.clip).Intersect(dc.surface->Bounds());
    const Rgba8 p = ToPixel(c);
    for (int y = a.y0; y < a.y1; ++y)
        for (int x = a.x0; x < a.x1; ++x) dc.surface->SetPixel(x, y, p);
}

// A pen's dot centred on client (x, y).
void WindowManager::PlotPen(DeviceContext& dc, int x, int y, COLORREF c, int width) {
    const int x0 = dc.origin.x + x - (width - 1) / 2, y0 = dc.origin.y + y - (width - 1) / 2;
    FillSurface(dc, {x0, y0, x0 + width, y0 + width}, c);
}

BOOL WindowManager::Rectangle(HDC h, int l, int t, int r, int b) {
    DeviceContext* dc = Dc(h);
    if (!dc) return FALSE;
    if (r < l) std::swap(l, r);
    if (b < t) std::swap(t, b);
    bool noBrush = false, noPen = false;
    const COLORREF fill = BrushColour(*dc, dc->brush, &noBrush);
    const COLORREF pen = PenColour(*dc, &noPen);
    const PixelRect box{dc->origin.x + l, dc->origin.y + t, dc->origin.x + r, dc->origin.y + b};
    if (!noBrush) FillSurface(*dc, box, fill);
    if (!noPen && r > l && b > t) {
        const int w = dc->pen ? dc->pen->width : 1;
        FillSurface(*dc, {box.x0, box.y0, box.x1, box.y0 + w}, pen);
        FillSurface(*dc, {box.x0, box.y1 - w, box.x1, box.y1}, pen);
        FillSurface(*dc, {box.x0, box.y0, box.x0 + w, box.y1}, pen);
        FillSurface(*dc, {box.x1 - w, box.y0, box.x1, box.y1}, pen);
    }
    return TRUE;
}

int WindowManager::FillRect(HDC h, const RECT* rect, HBRUSH brush) {
    DeviceContext* dc = Dc(h);
    if (!dc || !rect) return 0;
    const auto asColour = reinterpret_cast<std::uintptr_t>(brush);
    if (brush && asColour <= 64) brush = GetSysColorBrush(static_cast<int>(asColour) - 1);
    bool none = false;
    const COLORREF c = BrushColour(*dc, Obj(reinterpret_cast<HGDIOBJ>(brush)), &none);
    if (none) return 1;
    FillSurface(*dc, {dc->origin.x + rect->left, dc->origin.y + rect->top, dc->origin.x + rect->right,
                      dc->origin.y + rect->bottom},
                c);
    return 1;
}

int WindowManager::FrameRect(HDC h, const RECT* rect, HBRUSH brush) {
    DeviceContext* dc = Dc(h);
    if (!dc || !rect || IsRectEmpty(rect)) return 0;
    const RECT& r = *rect;
    const RECT sides[4] = {{r.left, r.top, r.right, r.top + 1},
                           {r.left, r.bottom - 1, r.right, r.bottom},
                           {r.left, r.top, r.left + 1, r.bottom},
                           {r.right - 1, r.top, r.right, r.bottom}};
    for (const RECT& s : sides) FillRect(h, &s, brush);
    return 1;
}

BOOL WindowManager::MoveToEx(HDC h, int x, int y, LPPOINT previous) {
    DeviceContext* dc = Dc(h);
    if (!dc) return FALSE;
    if (previous) *previous = dc->pos;
    dc->pos = {x, y};
    return TRUE;
}

BOOL WindowManager::LineTo(HDC h, int x, int y) {
    DeviceContext* dc = Dc(h);
    if (!dc) return FALSE;
    bool none = false;
    const COLORREF c = PenColour(*dc, &none);
    const int width = dc->pen ? dc->pen->width : 1;
    int x0 = dc->pos.x, y0 = dc->pos.y;
    dc->pos = {x, y};
    if (none) return TRUE;
    // Bresenham, the end point left out.
    const int dx = std::abs(x - x0), dy = -std::abs(y - y0);
    const int sx = x0 < x ? 1 : -1, sy = y0 < y ? 1 : -1;
    int err = dx + dy;
    while (x0 != x || y0 != y) {
        PlotPen(*dc, x0, y0, c, width);
        const int e2 = 2 * err;
        if (e2 >= dy) {
            err += dy;
            x0 += sx;
        }
        if (e2 <= dx) {
            err += dx;
            y0 += sy;
        }
    }
    return TRUE;
}

BOOL WindowManager::Polyline(HDC h, const POINT* pts, int count) {
    if (!Dc(h) || !pts || count < 2) return FALSE;
    const POINT keep = Dc(h)->pos;
    MoveToEx(h, pts[0].x, pts[0].y, nullptr);
    for (int i = 1; i < count; ++i) LineTo(h, pts[i].x, pts[i].y);
    Dc(h)->pos = keep;
    return TRUE;
}

// Alternate filling, pixels whose centres lie inside.
void WindowManager::FillPolygon(DeviceContext& dc, const POINT* pts, int count, COLORREF c) {
    int top = pts[0].y, bottom = pts[0].y;
    for (int i = 1; i < count; ++i) {
        top = std::min<int>(top, pts[i].y);
        bottom = std::max<int>(bottom, pts[i].y);
    }
    std::vector<double> xs;
    for (int y = top; y < bottom; ++y) {
        const double cy = y + 0.5;
        xs.clear();
        for (int i = 0; i < count; ++i) {
            const POINT& a = pts[i];
            const POINT& b = pts[(i + 1) % count];
            if ((a.y <= cy) == (b.y <= cy)) continue;
            xs.push_back(a.x + (cy - a.y) * (b.x - a.x) / static_cast<double>(b.y - a.y));
        }
        std::sort(xs.begin(), xs.end());
        for (std::size_t i = 0; i + 1 < xs.size(); i += 2) {
            const int x0 = static_cast<int>(std::ceil(xs[i] - 0.5));
            const int x1 = static_cast<int>(std::ceil(xs[i + 1] - 0.5));
            FillSurface(dc, {dc.origin.x + x0, dc.origin.y + y, dc.origin.x + x1, dc.origin.y + y + 1}, c);
        }
    }
}

BOOL WindowManager::Polygon(HDC h, const POINT* pts, int count) {
    DeviceContext* dc = Dc(h);
    if (!dc || !pts || count < 2) return FALSE;
    bool noBrush = false;
    const COLORREF fill = BrushColour(*dc, dc->brush, &noBrush);
    if (!noBrush) FillPolygon(*dc, pts, count, fill);
    std::vector<POINT> closed(pts, pts + count);
    closed.push_back(pts[0]);
    Polyline(h, closed.data(), static_cast<int>(closed.size()));
    return TRUE;
}

BOOL WindowManager::Ellipse(HDC h, int l, int t, int r, int b) {
    DeviceContext* dc = Dc(h);
    if (!dc || r <= l || b <= t) return FALSE;
    bool noBrush = false, noPen = false;
    const COLORREF fill = BrushColour(*dc, dc->brush, &noBrush);
    const COLORREF pen = PenColour(*dc, &noPen);
    const double cx = (l + r) / 2.0, cy = (t + b) / 2.0, rx = (r - l) / 2.0, ry = (b - t) / 2.0;
    auto inside = [&](int x, int y) {
        const double u = (x + 0.5 - cx) / rx, v = (y + 0.5 - cy) / ry;
        return u * u + v * v <= 1.0;
    };
    for (int y = t; y < b; ++y)
        for (int x = l; x < r; ++x) {
            if (!inside(x, y)) continue;
            const bool edge = !inside(x - 1, y) || !inside(x + 1, y) || !inside(x, y - 1) || !inside(x, y + 1);
            if (edge && !noPen)
                PlotPen(*dc, x, y, pen, 1);
            else if (!noBrush)
                PlotPen(*dc, x, y, fill, 1);
        }
    return TRUE;
}

COLORREF WindowManager::SetPixel(HDC h, int x, int y, COLORREF c) {
    DeviceContext* dc = Dc(h);
    if (!dc) return CLR_INVALID;
    PlotPen(*dc, x, y, c, 1);
    return c;
}

COLORREF WindowManager::GetPixel(HDC h, int x, int y) {
    DeviceContext* dc = Dc(h);
    if (!dc || !dc->surface) return CLR_INVALID;
    const int sx = dc->origin.x + x, sy = dc->origin.y + y;
    if (sx < dc->clip.x0 || sy < dc->clip.y0 || sx >= dc->clip.x1 || sy >= dc->clip.y1) return CLR_INVALID;
    const Rgba8 p = dc->surface->Pixel(sx, sy);
    return RGB(p.r, p.g, p.b);
}

void WindowManager::BlitImage(HDC h, int x, int y, const RasterImage& image) {
    DeviceContext* dc = Dc(h);
    if (!dc || !dc->surface) return;
    const PixelRect to = PixelRect{dc->origin.x + x, dc->origin.y + y, dc->origin.x + x + image.Width(),
                                   dc->origin.y + y + image.Height()}
                             .Intersect(dc->clip)
                             .Intersect(dc->surface->Bounds());
    for (int sy = to.y0; sy < to.y1; ++sy)
        for (int sx = to.x0; sx < to.x1; ++sx)
            dc->surface->SetPixel(sx, sy, image.Pixel(sx - dc->origin.x - x, sy - dc->origin.y - y));
}

DWORD WindowManager::GetSysColor(int which) {
    return ThemeColour(which);
}

HBRUSH WindowManager::GetSysColorBrush(int which) {
    if (auto it = sysBrushes_.find(which); it != sysBrushes_.end()) return it->second;
    GdiObject o;
    o.kind = GdiKind::brush;
    o.stock = true;
    o.colour = ThemeColour(which);
    HBRUSH b = reinterpret_cast<HBRUSH>(NewObject(o));
    sysBrushes_[which] = b;
    return b;
}

} // namespace contorra::ui
