#pragma once
// Model files for the application's tests, made once per test program in a folder of
// its own: the sample house in the newest and the oldest save format, a file made for
// a newer program, a text file that is no model, an empty file, and a file of one byte
// (the length the header's text would have).
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

#include "document/classregistration.h"
#include "document/tarnwickmodel.h"
#include "document/versionmap.h"
#include "foundation/modelid.h"
#include "foundation/versioninfo.h"
#include "platform/archive.h"
#include "platform/file.h"
#include "samplegen/housemodel.h"
#include "samplegen/modelfiles.h"

namespace apptest {

class SampleFiles
{
public:
    SampleFiles() : m_folder(std::filesystem::temp_directory_path() / ("glimra-samples-" + std::to_string(::getpid())))
    {
        RegisterModelClasses();
        std::filesystem::create_directories(m_folder);
        auto* house = new CTarnwickModel;
        BuildHouseModel(*house);
        (void)WriteModelFile(*house, Path("house-5000.twk"), kSaveFormat5000);
        (void)WriteModelFile(*house, Path("house-3000.twk"), kSaveFormat3000);
        house->Release();
        WriteTooNew(Path("too-new.twk"));
        std::ofstream(Path("notes.twk")) << std::string(300, 'x');
        std::ofstream(Path("empty.twk"));
        std::ofstream(Path("one-byte.twk")) << '\x0e';
    }
    ~SampleFiles() { std::filesystem::remove_all(m_folder); }
    SampleFiles(const SampleFiles&) = delete;
    SampleFiles& operator=(const SampleFiles&) = delete;

    [[nodiscard]] std::string Path(const std::string& name) const { return (m_folder / name).string(); }
    // A copy a test may change, under a new name.
    [[nodiscard]] std::string Copy(const std::string& name, const std::string& copyName) const
    {
        std::filesystem::copy_file(m_folder / name, m_folder / copyName,
                                   std::filesystem::copy_options::overwrite_existing);
        return Path(copyName);
    }

private:
    // A model file whose class versions ask for a newer program (6.1.7).
    static void WriteTooNew(const std::string& path)
    {
        CVersionMap map = *GetVersionMapCurrent();
        map.SetVersion("CTarnwickModel", 13);
        GUID id{};
        CFile file;
        (void)file.Open(CString::FromUtf8(path), CFile::modeCreate | CFile::modeWrite);
        CArchive ar(&file, CArchive::store);
        ArchiveWriteString(ar, CString("Tarnwick Model"));
        CVersionInfo(6, 1, 7).Serialize(ar);
        SerializeGuid(id, ar);
        ArchiveWriteString(ar, CString());
        ar << LONGLONG{0};
        ar.WriteObject(&map);
        ar << std::int32_t{-1};
        ar.Close();
    }

    std::filesystem::path m_folder;
};

// The program's one set of sample files.
inline const SampleFiles& Samples()
{
    static const SampleFiles files;
    return files;
}

}  // namespace apptest
