#include "devhost/script_options.h"

#include <windows.h>

static std::string ToAnsi(const std::wstring& text) {
    if (text.empty()) return std::string();
    int length = WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr,
                                     0, nullptr, nullptr);
    std::string ansi(static_cast<size_t>(length), '\0');
    WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), &ansi[0], length,
                        nullptr, nullptr);
    return ansi;
}

// A column by name (file, type, subject, sender, date, folder) or number 0..5; -1 if none.
static int ColumnFromName(const std::string& name) {
    static const char* const kNames[] = {"file", "type", "subject", "sender", "date", "folder"};
    for (int i = 0; i < 6; ++i) {
        if (name == kNames[i] || name == std::string(1, static_cast<char>('0' + i))) return i;
    }
    return -1;
}

bool ParseScriptOptions(const std::vector<std::wstring>& args, ScriptOptions* options,
                        std::string* error) {
    for (size_t i = 1; i < args.size(); ++i) {
        std::string name = ToAnsi(args[i]);
        bool takesValue = name == "--data" || name == "--folder" || name == "--filter" ||
                          name == "--sort" || name == "--tsv" || name == "--version" ||
                          name == "--screenshot" || name == "--comctl" || name == "--quit-host" ||
                          name == "--loop";
        if (takesValue && i + 1 >= args.size()) {
            *error = "option " + name + " needs a value";
            return false;
        }
        std::string value = takesValue ? ToAnsi(args[++i]) : std::string();
        if (name == "--data") {
            options->dataFolder = value;
        } else if (name == "--folder") {
            options->folderId = value;
        } else if (name == "--version") {
            options->version = value;
        } else if (name == "--no-subfolders") {
            options->subfolders = false;
            options->scriptMode = true;
        } else if (name == "--filter") {
            options->hasFilter = true;
            options->filter = value;
            options->scriptMode = true;
        } else if (name == "--sort") {
            int column = ColumnFromName(value);
            if (column < 0) {
                *error =
                    "unknown column '" + value + "' (file, type, subject, sender, date, folder)";
                return false;
            }
            options->sortColumns.push_back(column);
            options->scriptMode = true;
        } else if (name == "--tsv") {
            options->tsvPath = value;
            options->scriptMode = true;
        } else if (name == "--screenshot") {
            options->screenshotPath = value;
            options->scriptMode = true;
        } else if (name == "--search") {
            options->scriptMode = true;
        } else if (name == "--comctl") {
            if (value != "5" && value != "6") {
                *error = "--comctl takes 5 or 6";
                return false;
            }
            options->commonControls = value[0] - '0';
        } else if (name == "--quit-host") {
            if (value != "open" && value != "searching" && value != "about") {
                *error = "--quit-host takes open, searching or about";
                return false;
            }
            options->quitHost = value;
            options->scriptMode = true;
        } else if (name == "--loop") {
            if (value != "dialog" && value != "plain") {
                *error = "--loop takes dialog or plain";
                return false;
            }
            options->plainLoop = value == "plain";
        } else if (name == "--gui") {
            options->gui = true;
        } else {
            *error = "unknown option '" + name + "'";
            return false;
        }
    }
    if (options->dataFolder.empty()) {
        *error = "--data DIR is required";
        return false;
    }
    // The quit ends the session where the rows would be read.
    bool readsRows = options->hasFilter || !options->sortColumns.empty() ||
                     !options->tsvPath.empty() || !options->screenshotPath.empty();
    if (!options->quitHost.empty() && readsRows) {
        *error = "--quit-host takes no --filter, --sort, --tsv or --screenshot";
        return false;
    }
    if (!options->folderId.empty() && options->folderId.back() != '\\') options->folderId += '\\';
    return true;
}
