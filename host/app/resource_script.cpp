#include "host/app/resource_script.h"

#include <cctype>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <stdexcept>

#include "host/app/input_file.h"

namespace {

// The style names of Win32's headers that resource scripts use without
// defining them.
std::optional<long> StandardStyle(const std::string& name) {
    static const std::map<std::string, long> styles = {
        {"WS_CHILD", 0x40000000L},     {"WS_VISIBLE", 0x10000000L},  {"WS_DISABLED", 0x08000000L},
        {"WS_POPUP", static_cast<long>(0x80000000UL)},
        {"WS_CAPTION", 0x00C00000L},   {"WS_BORDER", 0x00800000L},   {"WS_SYSMENU", 0x00080000L},
        {"WS_VSCROLL", 0x00200000L},   {"WS_HSCROLL", 0x00100000L},  {"WS_GROUP", 0x00020000L},
        {"WS_TABSTOP", 0x00010000L},   {"WS_THICKFRAME", 0x00040000L},
        {"WS_EX_CLIENTEDGE", 0x200L},  {"DS_SETFONT", 0x40L},        {"DS_MODALFRAME", 0x80L},
        {"DS_FIXEDSYS", 0x8L},         {"DS_3DLOOK", 0x4L},          {"DS_CONTROL", 0x400L},
        {"BS_PUSHBUTTON", 0x0L},       {"BS_DEFPUSHBUTTON", 0x1L},   {"BS_CHECKBOX", 0x2L},
        {"BS_AUTOCHECKBOX", 0x3L},     {"BS_RADIOBUTTON", 0x4L},     {"BS_3STATE", 0x5L},
        {"BS_AUTO3STATE", 0x6L},       {"BS_GROUPBOX", 0x7L},        {"BS_AUTORADIOBUTTON", 0x9L},
        {"BS_LEFTTEXT", 0x20L},        {"BS_PUSHLIKE", 0x1000L},     {"SS_LEFT", 0x0L},
        {"SS_CENTER", 0x1L},           {"SS_RIGHT", 0x2L},           {"SS_NOTIFY", 0x100L},
        {"SS_SUNKEN", 0x1000L},        {"CBS_DROPDOWN", 0x2L},       {"CBS_DROPDOWNLIST", 0x3L},
        {"CBS_SORT", 0x100L},          {"ES_AUTOHSCROLL", 0x80L},    {"ES_LEFT", 0x0L},
        {"LBS_NOTIFY", 0x1L},
    };
    auto it = styles.find(name);
    if (it == styles.end()) return std::nullopt;
    return it->second;
}

struct Token {
    enum Kind { Word, Number, String, Punct, End } kind = End;
    std::string text;
    long value = 0;
    int line = 0;
};

struct ParseError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

bool ReadFile(const std::string& path, std::string& out, std::string& why) {
    return contorra::ReadInputFile(path, out, why);
}

class Parser {
public:
    Parser(std::string name, std::string includeDir, ResourceScript& out)
        : name_(std::move(name)), includeDir_(std::move(includeDir)), out_(out) {}

    void Run(const std::string& text) {
        Preprocess(text, name_, 0);
        pos_ = 0;
        while (Peek().kind != Token::End) Statement();
    }

private:
    [[noreturn]] void Fail(int line, const std::string& what) {
        throw ParseError(name_ + ":" + std::to_string(line) + ": " + what);
    }

    // Preprocessor lines are handled here; everything else becomes tokens.
    void Preprocess(const std::string& text, const std::string& file, int depth) {
        if (depth > 8) Fail(0, "includes nested too deeply in " + file);
        bool isHeader = file != name_;
        std::istringstream in(text);
        std::string line;
        int lineNo = 0;
        bool inComment = false;
        while (std::getline(in, line)) {
            ++lineNo;
            line = StripComments(line, inComment);
            std::size_t first = line.find_first_not_of(" \t\r");
            if (first == std::string::npos) continue;
            if (line[first] == '#') {
                Directive(line.substr(first + 1), file, lineNo, depth);
                continue;
            }
            // Headers contribute symbols only.
            if (!isHeader) Tokenize(line, lineNo);
        }
        if (!isHeader) tokens_.push_back({Token::End, "", 0, lineNo + 1});
    }

    static std::string StripComments(const std::string& line, bool& inComment) {
        std::string out;
        bool inString = false;
        for (std::size_t i = 0; i < line.size(); ++i) {
            if (inComment) {
                if (line.compare(i, 2, "*/") == 0) {
                    inComment = false;
                    ++i;
                }
                continue;
            }
            char c = line[i];
            if (c == '"') inString = !inString;
            if (!inString && line.compare(i, 2, "//") == 0) break;
            if (!inString && line.compare(i, 2, "/*") == 0) {
                inComment = true;
                ++i;
                continue;
            }
            out += c;
        }
        return out;
    }

    void Directive(const std::string& body, const std::string& file, int lineNo, int depth) {
        std::istringstream in(body);
        std::string word;
        in >> word;
        if (word == "include") {
            std::string rest;
            std::getline(in, rest);
            std::size_t a = rest.find('"'), b = rest.rfind('"');
            // System headers (<windows.h>) hold nothing this host needs.
            if (a == std::string::npos || b == a) return;
            std::string inc = rest.substr(a + 1, b - a - 1);
            std::string path = (std::filesystem::path(includeDir_) / inc).string();
            std::string text, why;
            if (!ReadFile(path, text, why))
                Fail(lineNo, "cannot read included file " + path + ": " + why);
            Preprocess(text, path, depth + 1);
        } else if (word == "define") {
            std::string sym, value;
            in >> sym;
            std::getline(in, value);
            long v = 0;
            if (ParseNumberText(value, v)) out_.symbols[sym] = v;
        }
        (void)file;
        // Conditionals and pragmas change nothing in the scripts this host reads.
    }

    bool ParseNumberText(const std::string& text, long& v) {
        std::string t;
        for (char c : text)
            if (!std::isspace(static_cast<unsigned char>(c)) && c != '(' && c != ')') t += c;
        while (!t.empty() &&
               (t.back() == 'L' || t.back() == 'l' || t.back() == 'U' || t.back() == 'u'))
            t.pop_back();
        if (t.empty()) return false;
        bool neg = t[0] == '-';
        if (neg) t.erase(0, 1);
        try {
            std::size_t used = 0;
            long x = std::stol(t, &used, 0);
            if (used != t.size()) return false;
            v = neg ? -x : x;
            return true;
        } catch (...) {
            return false;
        }
    }

    void Tokenize(const std::string& line, int lineNo) {
        std::size_t i = 0;
        while (i < line.size()) {
            char c = line[i];
            if (std::isspace(static_cast<unsigned char>(c))) {
                ++i;
            } else if (c == '"') {
                std::string s;
                ++i;
                for (;;) {
                    if (i >= line.size()) Fail(lineNo, "string not closed");
                    char d = line[i++];
                    if (d == '"') {
                        if (i < line.size() && line[i] == '"') {
                            s += '"';
                            ++i;
                            continue;
                        }
                        break;
                    }
                    if (d == '\\' && i < line.size()) {
                        char e = line[i++];
                        s += e == 'n' ? '\n' : e == 't' ? '\t' : e;
                        continue;
                    }
                    s += d;
                }
                tokens_.push_back({Token::String, s, 0, lineNo});
            } else if (std::isdigit(static_cast<unsigned char>(c))) {
                std::size_t j = i;
                while (j < line.size() && std::isalnum(static_cast<unsigned char>(line[j]))) ++j;
                long v = 0;
                if (!ParseNumberText(line.substr(i, j - i), v))
                    Fail(lineNo, "bad number " + line.substr(i, j - i));
                tokens_.push_back({Token::Number, line.substr(i, j - i), v, lineNo});
                i = j;
            } else if (std::isalpha(static_cast<unsigned char>(c)) || c == '_') {
                std::size_t j = i;
                while (j < line.size() &&
                       (std::isalnum(static_cast<unsigned char>(line[j])) || line[j] == '_'))
                    ++j;
                tokens_.push_back({Token::Word, line.substr(i, j - i), 0, lineNo});
                i = j;
            } else {
                tokens_.push_back({Token::Punct, std::string(1, c), 0, lineNo});
                ++i;
            }
        }
    }

    const Token& Peek(std::size_t ahead = 0) const {
        std::size_t k = std::min(pos_ + ahead, tokens_.size() - 1);
        return tokens_[k];
    }
    const Token& Next() {
        const Token& t = Peek();
        if (pos_ < tokens_.size() - 1) ++pos_;
        return t;
    }
    bool IsWord(const Token& t, const char* w) const {
        return t.kind == Token::Word && t.text == w;
    }
    bool IsPunct(const Token& t, char c) const { return t.kind == Token::Punct && t.text[0] == c; }
    bool IsBegin(const Token& t) const { return IsWord(t, "BEGIN") || IsPunct(t, '{'); }
    bool IsEnd(const Token& t) const { return IsWord(t, "END") || IsPunct(t, '}'); }

    // A number, a symbol or a simple expression of them. In styles the
    // standard Win32 style names are known and other unknown names count 0;
    // identifiers must be known. With notBits, terms written NOT x add x
    // there instead (styles: taken away from the defaults).
    long Expr(bool strictSymbols, long* notBits = nullptr) {
        long v = NotTerm(strictSymbols, notBits);
        while (IsPunct(Peek(), '|') || IsPunct(Peek(), '+') || IsPunct(Peek(), '-')) {
            char op = Next().text[0];
            long w = NotTerm(strictSymbols, notBits);
            v = op == '|' ? (v | w) : op == '+' ? v + w : v - w;
        }
        return v;
    }
    long NotTerm(bool strictSymbols, long* notBits) {
        if (notBits && IsWord(Peek(), "NOT")) {
            Next();
            *notBits |= Term(strictSymbols);
            return 0;
        }
        return Term(strictSymbols);
    }
    long Term(bool strictSymbols) {
        const Token& t = Next();
        if (IsWord(t, "NOT")) return ~Term(strictSymbols);
        if (IsPunct(t, '-')) return -Term(strictSymbols);
        if (IsPunct(t, '~')) return ~Term(strictSymbols);
        if (IsPunct(t, '(')) {
            long v = Expr(strictSymbols);
            if (!IsPunct(Next(), ')')) Fail(t.line, "')' expected");
            return v;
        }
        if (t.kind == Token::Number) return t.value;
        if (t.kind == Token::Word) {
            auto it = out_.symbols.find(t.text);
            if (it != out_.symbols.end()) return it->second;
            if (t.text == "IDC_STATIC") return -1;
            if (strictSymbols) Fail(t.line, "unknown symbol " + t.text);
            if (auto known = StandardStyle(t.text)) return *known;
            return 0;
        }
        Fail(t.line, "number or symbol expected, found '" + t.text + "'");
    }

    void Comma() {
        if (IsPunct(Peek(), ',')) Next();
    }

    void Statement() {
        const Token& t = Peek();
        if (IsWord(t, "STRINGTABLE")) {
            Next();
            StringTable(t.line);
        } else if (IsWord(t, "LANGUAGE")) {
            SkipLine();
        } else if ((t.kind == Token::Word || t.kind == Token::Number) &&
                   (IsWord(Peek(1), "DIALOG") || IsWord(Peek(1), "DIALOGEX"))) {
            Dialog();
        } else {
            SkipResource();
        }
    }

    void SkipLine() {
        int line = Peek().line;
        while (Peek().kind != Token::End && Peek().line == line) Next();
    }

    // Resources of other kinds: their lines one by one, their blocks whole.
    void SkipResource() {
        if (IsBegin(Peek()))
            SkipBlock();
        else
            SkipLine();
    }

    void SkipBlock() {
        int line = Peek().line;
        int depth = 0;
        do {
            const Token& t = Next();
            if (t.kind == Token::End) Fail(line, "block not closed");
            if (IsBegin(t))
                ++depth;
            else if (IsEnd(t))
                --depth;
        } while (depth > 0);
    }

    void StringTable(int line) {
        while (!IsBegin(Peek())) {
            if (Peek().kind == Token::End) Fail(line, "STRINGTABLE without BEGIN");
            Next();
        }
        Next();
        while (!IsEnd(Peek())) {
            if (Peek().kind == Token::End) Fail(line, "STRINGTABLE not closed with END");
            int at = Peek().line;
            long id = Expr(true);
            Comma();
            const Token& s = Next();
            if (s.kind != Token::String) Fail(at, "string expected after id " + std::to_string(id));
            if (id < 0 || id > 65535) Fail(at, "string id " + std::to_string(id) + " out of range");
            out_.strings[static_cast<unsigned>(id)] = s.text;
        }
        Next();
    }

    void Dialog() {
        int line = Peek().line;
        DialogTemplate d;
        d.id = static_cast<int>(Expr(true));
        Next(); // DIALOG or DIALOGEX
        d.x = static_cast<int>(Expr(false));
        Comma();
        d.y = static_cast<int>(Expr(false));
        Comma();
        d.cx = static_cast<int>(Expr(false));
        Comma();
        d.cy = static_cast<int>(Expr(false));
        if (IsPunct(Peek(), ',')) {
            Next();
            Expr(false); // help id
        }
        while (!IsBegin(Peek())) {
            const Token& opt = Next();
            if (opt.kind == Token::End)
                Fail(line, "dialog " + std::to_string(d.id) + " without BEGIN");
            if (IsWord(opt, "CAPTION") && Peek().kind == Token::String) d.caption = Next().text;
            if (IsWord(opt, "STYLE")) d.style = Expr(false);
            if (IsWord(opt, "FONT")) {
                d.fontSize = static_cast<int>(Expr(false));
                Comma();
                if (Peek().kind == Token::String) d.fontFace = Next().text;
            }
        }
        Next();
        while (!IsEnd(Peek())) {
            if (Peek().kind == Token::End)
                Fail(line, "dialog " + std::to_string(d.id) + " not closed with END");
            d.controls.push_back(Control());
        }
        Next();
        if (out_.dialogs.count(d.id))
            Fail(line, "dialog " + std::to_string(d.id) + " defined twice");
        out_.dialogs[d.id] = std::move(d);
    }

    DialogControl Control() {
        static const std::set<std::string> noText = {"EDITTEXT", "COMBOBOX", "LISTBOX",
                                                     "SCROLLBAR"};
        const Token& k = Next();
        if (k.kind != Token::Word)
            Fail(k.line, "control statement expected, found '" + k.text + "'");
        DialogControl c;
        c.kind = k.text;
        if (!noText.count(c.kind)) {
            if (Peek().kind == Token::String)
                c.text = Next().text;
            else
                Expr(false); // an icon or bitmap named by number
            Comma();
        }
        c.id = static_cast<int>(Expr(true));
        Comma();
        if (c.kind == "CONTROL") {
            const Token& cls = Next();
            if (cls.kind != Token::String && cls.kind != Token::Word)
                Fail(cls.line, "window class expected in CONTROL");
            c.className = cls.text;
            Comma();
            c.style = Expr(false, &c.styleOff);
            Comma();
        }
        c.x = static_cast<int>(Expr(false));
        Comma();
        c.y = static_cast<int>(Expr(false));
        Comma();
        c.cx = static_cast<int>(Expr(false));
        Comma();
        c.cy = static_cast<int>(Expr(false));
        // Optional style and extended style.
        while (IsPunct(Peek(), ',')) {
            Next();
            long off = 0;
            long s = Expr(false, &off);
            if (c.kind != "CONTROL") {
                c.style |= s;
                c.styleOff |= off;
            }
        }
        return c;
    }

    std::string name_;
    std::string includeDir_;
    ResourceScript& out_;
    std::vector<Token> tokens_;
    std::size_t pos_ = 0;
};

} // namespace

const DialogTemplate* ResourceScript::Dialog(int id) const {
    auto it = dialogs.find(id);
    return it == dialogs.end() ? nullptr : &it->second;
}

std::optional<ResourceScript> ParseResourceScript(const std::string& text, const std::string& name,
                                                  const std::string& includeDir,
                                                  std::string& error) {
    ResourceScript script;
    try {
        Parser(name, includeDir, script).Run(text);
    } catch (const ParseError& e) {
        error = e.what();
        return std::nullopt;
    }
    return script;
}

std::optional<ResourceScript> ReadResourceScript(const std::string& path, std::string& error) {
    std::string text, why;
    if (!ReadFile(path, text, why)) {
        error = path + ": cannot read the resource script: " + why;
        return std::nullopt;
    }
    std::string dir = std::filesystem::path(path).parent_path().string();
    return ParseResourceScript(text, path, dir.empty() ? "." : dir, error);
}
