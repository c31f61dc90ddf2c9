// Text through GDI: TextOut, DrawText and the measures of the selected font.
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "host/app/font_face.h"
#include "host/app/ui/window_tree.h"

namespace contorra::ui {
namespace {

struct TextLine {
    std::string text;
    int width = 0;
};

// Removes the '&' that marks a mnemonic ("&&" stands for '&').
std::string WithoutPrefix(const std::string& s) {
    std::string out;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '&' && i + 1 < s.size()) ++i;
        out += s[i];
    }
    return out;
}

} // namespace

BOOL WindowManager::TextOutA(HDC h, int x, int y, LPCSTR text, int count) {
    DeviceContext* dc = Dc(h);
    if (!dc || !text) return FALSE;
    const std::string s(text, count < 0 ? std::strlen(text) : static_cast<std::size_t>(count));
    const FontFace* face = dc->font && dc->font->face ? dc->font->face : DialogFace(8);
    if (!face || !dc->surface) return TRUE;
    const int sx = dc->origin.x + x, sy = dc->origin.y + y;
    if (dc->bkMode == OPAQUE)
        FillSurface(*dc, {sx, sy, sx + face->Advance(s), sy + face->Metrics().height}, dc->back);
    face->Draw(*dc->surface, sx, sy + face->Metrics().ascent, s, ToPixel(dc->text), dc->clip);
    return TRUE;
}

BOOL WindowManager::GetTextExtentPoint32A(HDC h, LPCSTR text, int count, SIZE* size) {
    DeviceContext* dc = Dc(h);
    if (!dc || !text || !size) return FALSE;
    const FontFace* face = dc->font && dc->font->face ? dc->font->face : DialogFace(8);
    if (!face) return FALSE;
    const std::string s(text, count < 0 ? std::strlen(text) : static_cast<std::size_t>(count));
    *size = {face->Advance(s), face->Metrics().height};
    return TRUE;
}

BOOL WindowManager::GetTextMetricsA(HDC h, TEXTMETRICA* tm) {
    DeviceContext* dc = Dc(h);
    if (!dc || !tm) return FALSE;
    const FontFace* face = dc->font && dc->font->face ? dc->font->face : DialogFace(8);
    if (!face) return FALSE;
    const FontMetrics& m = face->Metrics();
    *tm = {};
    tm->tmHeight = m.height;
    tm->tmAscent = m.ascent;
    tm->tmDescent = m.descent;
    tm->tmAveCharWidth = m.averageCharWidth;
    tm->tmMaxCharWidth = face->Advance("W");
    return TRUE;
}

int WindowManager::DrawTextA(HDC h, LPCSTR text, int count, LPRECT rect, UINT format) {
    DeviceContext* dc = Dc(h);
    if (!dc || !text || !rect) return 0;
    const FontFace* face = dc->font && dc->font->face ? dc->font->face : DialogFace(8);
    if (!face) return 0;
    std::string s(text, count < 0 ? std::strlen(text) : static_cast<std::size_t>(count));
    if (!(format & DT_NOPREFIX)) s = WithoutPrefix(s);
    const int lineHeight = face->Metrics().height;
    const int boxWidth = rect->right - rect->left;

    // Lines: one, or split at newlines and (with DT_WORDBREAK) between words.
    std::vector<TextLine> lines;
    if (format & DT_SINGLELINE) {
        lines.push_back({s, face->Advance(s)});
    } else {
        std::size_t start = 0;
        while (start <= s.size()) {
            std::size_t nl = s.find('\n', start);
            std::string para = s.substr(start, nl == std::string::npos ? std::string::npos : nl - start);
            if (format & DT_WORDBREAK) {
                std::string line;
                std::size_t i = 0;
                while (i < para.size()) {
                    std::size_t sp = para.find(' ', i);
                    std::string word = para.substr(i, sp == std::string::npos ? std::string::npos : sp - i);
                    std::string candidate = line.empty() ? word : line + " " + word;
                    if (!line.empty() && face->Advance(candidate) > boxWidth) {
                        lines.push_back({line, face->Advance(line)});
                        line = word;
                    } else {
                        line = candidate;
                    }
                    if (sp == std::string::npos) break;
                    i = sp + 1;
                }
                lines.push_back({line, face->Advance(line)});
            } else {
                lines.push_back({para, face->Advance(para)});
            }
            if (nl == std::string::npos) break;
            start = nl + 1;
        }
    }
    if ((format & DT_END_ELLIPSIS) && !lines.empty())
        for (TextLine& l : lines) {
            if (l.width <= boxWidth) continue;
            std::string cut = l.text;
            while (!cut.empty() && face->Advance(cut + "...") > boxWidth) cut.pop_back();
            l.text = cut + "...";
            l.width = face->Advance(l.text);
        }
    const int total = lineHeight * static_cast<int>(lines.size());
    if (format & DT_CALCRECT) {
        int widest = 0;
        for (const TextLine& l : lines) widest = std::max(widest, l.width);
        rect->right = rect->left + widest;
        rect->bottom = rect->top + total;
        return total;
    }
    int y = rect->top;
    if ((format & DT_SINGLELINE) && (format & DT_VCENTER))
        y = rect->top + (rect->bottom - rect->top - lineHeight) / 2;
    else if ((format & DT_SINGLELINE) && (format & DT_BOTTOM))
        y = rect->bottom - lineHeight;
    const PixelRect keep = dc->clip;
    if (!(format & DT_NOCLIP))
        dc->clip = dc->clip.Intersect({dc->origin.x + rect->left, dc->origin.y + rect->top,
                                       dc->origin.x + rect->right, dc->origin.y + rect->bottom});
    for (const TextLine& l : lines) {
        int x = rect->left;
        if (format & DT_CENTER)
            x = rect->left + (boxWidth - l.width) / 2;
        else if (format & DT_RIGHT)
            x = rect->right - l.width;
        TextOutA(h, x, y, l.text.c_str(), static_cast<int>(l.text.size()));
        y += lineHeight;
    }
    dc->clip = keep;
    return total;
}

} // namespace contorra::ui
