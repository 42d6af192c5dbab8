#include "render/glcardslist.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <fstream>
#include <string>

#include "foundation/syshelpers.h"
#include "platform/sysinfo.h"
#include "render/glconfig.h"

namespace {

CString GLText(GLenum name)
{
    const auto* text = reinterpret_cast<const char*>(glGetString(name));
    return text != nullptr ? CString::FromUtf8(text) : CString();
}

// Fields between "|" separators; runs of separators count as one.
std::vector<CString> SplitFields(const CString& line)
{
    std::vector<CString> fields;
    const std::u16string& units = line.Units();
    size_t start = 0;
    while (start < units.size() && fields.size() < 4) {
        const size_t end = std::min(units.find(u'|', start), units.size());
        if (end > start) {
            fields.emplace_back(units.substr(start, end - start));
        }
        start = end + 1;
    }
    return fields;
}

CString Upper(CString text)
{
    text.MakeUpper();
    return text;
}

}  // namespace

bool IsFirstTimeCheckDue()
{
    if (GetGLConfig().Accelerated == 0) {
        return false;
    }
    if (!GLConfigKeyExists()) {
        return true;
    }
    std::uint32_t value = 0;
    if (ReadGLConfigDword("FIRST_TIME", value)) {
        return value != 0;
    }
    (void)WriteGLConfigDword("FIRST_TIME", 0);
    return true;
}

bool CheckGLCardsLines(const std::vector<CString>& lines, const CString& vendor, const CString& renderer)
{
    const CString vendorText = Upper(vendor);
    const CString rendererText = Upper(renderer);
    bool verdict = false;
    for (const CString& line : lines) {
        if (line.Find(u"//") >= 0) {
            continue;
        }
        const std::vector<CString> fields = SplitFields(line);
        if (fields.size() < 2 || vendorText.Find(Upper(fields[1])) < 0) {
            continue;
        }
        const CString rendererField = fields.size() > 2 ? Upper(fields[2]) : CString();
        if (rendererText.Find(rendererField) >= 0) {
            if (fields[0] == CString(u"SW")) {
                verdict = false;
            }
        } else if (fields[0] == CString(u"HW") && rendererField == CString(u"ANY")) {
            verdict = true;
        }
    }
    return verdict;
}

bool CheckGLCardsList()
{
    if (!IsFirstTimeCheckDue()) {
        return true;
    }
    const CString vendor = GLText(GL_VENDOR);
    const CString renderer = GLText(GL_RENDERER);
    const CString path = FindProgramFile("glcards.dat", "data");
    std::ifstream file(path.ToUtf8());
    if (path.IsEmpty() || !file) {
        return false;
    }
    std::vector<CString> lines;
    for (std::string line; std::getline(file, line);) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        lines.push_back(CString::FromUtf8(line));
    }
    return CheckGLCardsLines(lines, vendor, renderer);
}

void GetDisplayAdapterInfo(CString& description, CString& date, CString& version, int& screenWidth,
                           int& screenHeight, int& colourDepth)
{
    description = GLText(GL_RENDERER);
    date.Empty();
    version = GLText(GL_VERSION);
    screenWidth = GetSystemMetrics(SM_CXSCREEN);
    screenHeight = GetSystemMetrics(SM_CYSCREEN);
    colourDepth = GetScreenColourDepth();
}

void GetDisplayAdapterList(std::vector<CDisplayAdapter>& adapters)
{
    adapters.clear();
    CDisplayAdapter adapter;
    int width = 0;
    int height = 0;
    int depth = 0;
    GetDisplayAdapterInfo(adapter.description, adapter.date, adapter.version, width, height, depth);
    if (!adapter.description.IsEmpty()) {
        adapters.push_back(adapter);
    }
}

CGLStrings GetCurrentGLStrings()
{
    CGLStrings strings;
    strings.vendor = GLText(GL_VENDOR);
    strings.renderer = GLText(GL_RENDERER);
    strings.version = GLText(GL_VERSION);
    const auto* glu = reinterpret_cast<const char*>(gluGetString(GLU_VERSION));
    strings.gluVersion = glu != nullptr ? CString::FromUtf8(glu) : CString();
    return strings;
}
