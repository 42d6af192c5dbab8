#include "samplegen/modelfiles.h"

#include "document/tarnwickmodel.h"
#include "foundation/modelid.h"
#include "foundation/versioninfo.h"
#include "model/undosuspender.h"
#include "platform/archive.h"
#include "platform/exceptions.h"
#include "platform/file.h"
#include "platform/guid.h"
#include "platform/memfile.h"

ModelBytes WriteModelBytes(CTarnwickModel& model, int saveFormat)
{
    CMemFile file;
    {
        CArchive ar(&file, CArchive::store);
        SetSaveFormat(saveFormat);
        model.Serialize(ar);
        ar.Close();
    }
    return file.Detach();
}

void ReadModelBytes(const ModelBytes& bytes, CTarnwickModel& model)
{
    const CUndoSuspender suspender;
    CMemFile file(bytes.data(), static_cast<UINT>(bytes.size()));
    CArchive ar(&file, CArchive::load);
    model.Serialize(ar);
}

bool WriteModelFile(CTarnwickModel& model, const std::string& path, int saveFormat)
{
    // Straight to the file: a copy in memory of a model of millions of faces would be
    // as large again as the file, grown and copied on the way.
    CFile file;
    if (!file.Open(CString(path.c_str()), CFile::modeCreate | CFile::modeWrite)) {
        return false;
    }
    try {
        CArchive ar(&file, CArchive::store);
        SetSaveFormat(saveFormat);
        model.Serialize(ar);
        ar.Close();
        file.Close();
    } catch (const CException&) {
        return false;
    }
    return true;
}

std::size_t GetTimeStampOffset(int saveFormat)
{
    // The writer's own version information for the format; the global is left as found.
    const int savedFormat = GetSaveFormat();
    SetSaveFormat(saveFormat);
    CVersionInfo version;
    SetSaveFormat(savedFormat);
    // The fields before the stamp: the magic, the version information, the identifier
    // and an empty string.
    CMemFile file;
    {
        CArchive ar(&file, CArchive::store);
        ArchiveWriteString(ar, CString("Tarnwick Model"));
        version.Serialize(ar);
        GUID id{};
        SerializeGuid(id, ar);
        ArchiveWriteString(ar, CString());
        ar.Close();
    }
    return file.Detach().size();
}
