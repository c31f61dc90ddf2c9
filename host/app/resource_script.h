#pragma once
// Resource scripts (.rc) of plug-in modules: the string table and the dialog
// templates, with the symbols of the headers they include.
#include <map>
#include <optional>
#include <string>
#include <vector>

struct DialogControl {
    std::string kind; // LTEXT, PUSHBUTTON, CONTROL ...
    std::string text;
    int id = -1;
    std::string className; // CONTROL only: the window class
    long style = 0;    // the style bits named (standard styles by their Win32 names)
    long styleOff = 0; // bits named with NOT: taken from the statement's defaults
    int x = 0, y = 0, cx = 0, cy = 0;
};

struct DialogTemplate {
    int id = 0;
    int x = 0, y = 0, cx = 0, cy = 0;
    std::string caption;
    long style = 0;
    int fontSize = 0; // points; 0 without a FONT statement
    std::string fontFace;
    std::vector<DialogControl> controls;
};

struct ResourceScript {
    std::map<unsigned, std::string> strings;
    std::map<int, DialogTemplate> dialogs;
    std::map<std::string, long> symbols; // #define NAME number

    const DialogTemplate* Dialog(int id) const;
};

// Reads a script; #include "..." is resolved beside it. On failure the
// result is empty and error names the file, the line and the problem.
std::optional<ResourceScript> ReadResourceScript(const std::string& path, std::string& error);
// The same from text; name stands for the file in messages, includeDir is
// where included headers are looked up.
std::optional<ResourceScript> ParseResourceScript(const std::string& text, const std::string& name,
                                                  const std::string& includeDir,
                                                  std::string& error);
