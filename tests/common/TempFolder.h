#pragma once

#include <string>

// A fresh folder under $TMPDIR (or /tmp), removed with everything in it.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    // The folder with a trailing '/'.
    const std::string& Path() const { return FPath; }
    // Path() + name.
    std::string operator/(const std::string& name) const { return FPath + name; }

private:
    std::string FPath;
};
