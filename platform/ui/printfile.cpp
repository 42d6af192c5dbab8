#include "platform/ui/printfile.h"

#include <cstdio>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/exceptions.h"

namespace {

std::string FolderOf(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

}  // namespace

CPrintFile::CPrintFile(const CString& target) : m_target(target.ToUtf8()) {}

CPrintFile::~CPrintFile()
{
    Discard();
}

bool CPrintFile::Open()
{
    Discard();
    if (m_target.empty() || m_target.back() == '/')
        return false;
    // A short name: the target's own may already be as long as the folder allows.
    if (!m_file.OpenUnique(CString::FromUtf8(FolderOf(m_target) + "/.print-")))
        return false;
    m_temporary = m_file.GetFilePath().ToUtf8();
    if (!m_device.open(m_file.GetDescriptor(), QIODevice::WriteOnly, QFileDevice::DontCloseHandle))
    {
        Discard();
        return false;
    }
    return true;
}

bool CPrintFile::Commit()
{
    if (m_temporary.empty())
        return false;
    bool written = m_device.flush() && m_device.error() == QFileDevice::NoError;
    m_device.close();
    written = written && ::fchmod(m_file.GetDescriptor(), CFile::NewFilePermissions()) == 0;
    try
    {
        m_file.Close();
    }
    catch (const CFileException&)
    {
        written = false;
    }
    if (!written || std::rename(m_temporary.c_str(), m_target.c_str()) != 0)
    {
        Discard();
        return false;
    }
    m_temporary.clear();
    return true;
}

void CPrintFile::Discard()
{
    m_device.close();
    m_file.Abort();
    if (!m_temporary.empty())
        ::unlink(m_temporary.c_str());
    m_temporary.clear();
}
