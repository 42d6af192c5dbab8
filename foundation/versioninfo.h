#pragma once
// The version number a model file carries in its header, the save format that
// decides how records are written, and the version of the file being read.

#include "platform/cstring.h"
#include "platform/object.h"

inline constexpr int kSaveFormat3000 = 3000;
inline constexpr int kSaveFormat4000 = 4000;
inline constexpr int kSaveFormat5000 = 5000;

// Starts at 5000; every record writer chooses its layout by it.
void SetSaveFormat(int saveFormat);
[[nodiscard]] int GetSaveFormat();

class CVersionInfo : public CObject
{
    DECLARE_SERIAL(CVersionInfo)

public:
    // The program's own version for the current save format: 5.0.232, 4.0.1 or 3.0.1.
    CVersionInfo();
    CVersionInfo(int major, int minor, int build);

    void Assign(const CVersionInfo& other);

    [[nodiscard]] int GetMajor() const { return m_major; }
    [[nodiscard]] int GetMinor() const { return m_minor; }
    [[nodiscard]] int GetBuild() const { return m_build; }
    // (major * 1000 + minor) * 1000 + build, what version tests compare. Versions too
    // large for 32 bits give the largest (or smallest) 32-bit number.
    [[nodiscard]] int GetBuildNumber() const;
    // "major.minor.build", for messages.
    [[nodiscard]] CString GetText() const;
    // Reads "major.minor.build"; false, with the fields unchanged, unless all three read.
    bool Parse(const CString& text);

    // One string "{major.minor.build}". Reading keeps the fields the text does not
    // supply. Errors are the archive's exceptions.
    void Serialize(CArchive& ar) override;

private:
    int m_major = 0;
    int m_minor = 0;
    int m_build = 0;
};

// The version of the file being read, set by the file frame after it read the
// header, for records whose layout depends on it.
void SetFileVersionInfo(const CVersionInfo& version);
[[nodiscard]] const CVersionInfo& GetFileVersionInfo();
