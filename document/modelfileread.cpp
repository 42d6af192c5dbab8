// Reading the model file's frame: the top-level record field by field with its
// version gates, and the header-only reader that previews use.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <limits>
#include <memory>
#include <string>

#include "annotations/dimensionstyle.h"
#include "annotations/textstyle.h"
#include "document/component.h"
#include "document/componentbehavior.h"
#include "document/definitionlist.h"
#include "document/dib.h"
#include "document/drawingwork.h"
#include "document/fontmanager.h"
#include "document/layer.h"
#include "document/layermanager.h"
#include "document/loadsession.h"
#include "document/material.h"
#include "document/materialmanager.h"
#include "document/meshreadsums.h"
#include "document/modelpages.h"
#include "document/optionsmanager.h"
#include "document/pagelist.h"
#include "document/renderingoptions.h"
#include "document/shadowinfo.h"
#include "document/tarniscs.h"
#include "document/tarnwickmodel.h"
#include "document/tarnwickpage.h"
#include "document/twfont.h"
#include "document/versionmap.h"
#include "document/viewpage.h"
#include "foundation/flagguard.h"
#include "foundation/modelid.h"
#include "foundation/repairnotes.h"
#include "model/attribute.h"
#include "model/attributecontainer.h"
#include "model/curveregistry.h"
#include "model/drawingelement.h"
#include "model/entitylist.h"
#include "model/undosuspender.h"
#include "model/vertex.h"
#include "platform/archive.h"
#include "platform/file.h"
#include "platform/heapprefaulter.h"

namespace {

// Version gates of the top-level record on the file version number.
constexpr int kFvIdentifier = 1046;
constexpr int kFvVersionMap = 1022;
constexpr int kFvBehavior = 1055;
constexpr int kFvDescription = 1059;
constexpr int kFvRendering = 1023;
constexpr int kFvOldPages = 1043;
constexpr int kFvOldStrings = 1047;
constexpr int kFvOldMaterials = 1054;
constexpr int kFvDrawingAxes = 1154;
constexpr int kFvReserved = 1199;

const char* const kMagic = "Tarnwick Model";
const char* const kOldMagic = "eTarnis page";

// Reads up to size bytes of the header; false when the file ends first.
bool ReadHeaderBytes(CArchive& ar, void* data, UINT size)
{
    return ar.Read(data, size) == size;
}

// Reads the header string the way strings are read, but a length that no header has
// means another kind of file (a text file's first letter read as a length), not a model
// cut short; so does a file that ends before the header's text begins (an empty file, a
// lone length). A header whose text runs out is a model cut short.
bool ReadsModelMagic(CArchive& ar)
{
    BYTE first = 0;
    if (!ReadHeaderBytes(ar, &first, 1)) {
        return false;
    }
    bool wide = false;
    ULONGLONG length = first;
    if (first == 0xFF) {
        BYTE word[2] = {};
        if (!ReadHeaderBytes(ar, word, 2)) {
            return false;
        }
        const WORD value = static_cast<WORD>(word[0] | (word[1] << 8));
        wide = value == 0xFFFE;
        if (wide) {
            BYTE units = 0;
            if (!ReadHeaderBytes(ar, &units, 1)) {
                return false;
            }
            length = units;
        } else {
            length = value;
        }
    }
    const ULONGLONG lengths[] = {std::strlen(kMagic), std::strlen(kOldMagic)};
    if (length != lengths[0] && length != lengths[1]) {
        return false;
    }
    std::string bytes(static_cast<std::size_t>(length * (wide ? 2 : 1)), '\0');
    const UINT read = ar.Read(bytes.data(), static_cast<UINT>(bytes.size()));
    if (read == 0) {
        return false;
    }
    if (read != bytes.size()) {
        AfxThrowArchiveException(CArchiveException::endOfFile);
    }
    std::string text;
    for (std::size_t i = 0; i < bytes.size(); i += wide ? 2 : 1) {
        if (wide && bytes[i + 1] != 0) {
            return false;
        }
        text += bytes[i];
    }
    return text == kMagic || text == kOldMagic;
}

// Fields 3 to 5: the identifier and a dropped string (from 1046), the time stamp.
void ReadIdentifierAndStamp(CArchive& ar, int fileVersion, GUID& id)
{
    if (fileVersion >= kFvIdentifier) {
        SerializeGuid(id, ar);
        (void)ArchiveReadString(ar);
    }
    LONGLONG stamp = 0;
    ar >> stamp;
}

// A model takes about three times its file in memory.
std::uint64_t ExpectedHeapGrowth(const CArchive& ar)
{
    const ULONGLONG remaining = ar.GetRemainingBytes();
    constexpr ULONGLONG kGrowth = 3;
    return remaining > std::numeric_limits<std::uint64_t>::max() / kGrowth ? std::numeric_limits<std::uint64_t>::max()
                                                                          : remaining * kGrowth;
}

// Field 6: the file's map; an empty one stands in for files older than maps. A map
// the file asks too much of is dropped (the archive may still hand it out) and null
// returned with tooNew set.
CVersionMap* ReadFileVersionMap(CArchive& ar, int fileVersion, bool& tooNew)
{
    CVersionMap* map = nullptr;
    if (fileVersion >= kFvVersionMap) {
        ReadVersionMapObject(ar, map);
    } else {
        map = new CVersionMap;
    }
    tooNew = FileNeedsNewerVersion(map);
    if (tooNew) {
        if (fileVersion >= kFvVersionMap) {
            ar.DeleteWhenClosed(map);
        } else {
            delete map;
        }
        return nullptr;
    }
    return map;
}

// An empty picture is dropped; one that did not decode stays, its bytes to be written
// back. The archive may still hand the dropped one out.
CDib* ReadPreview(CArchive& ar)
{
    CDib* preview = nullptr;
    ArchiveReadDib(ar, preview);
    if (preview != nullptr && !preview->HasContent()) {
        ar.DeleteWhenClosed(preview);
        preview = nullptr;
    }
    return preview;
}

// What follows the model's record. Zero counts, empty strings and null references are
// all valid, so a run of zeros in the middle of a file can end every record early
// without a complaint: these bytes are then the only trace of the damage.
std::uint64_t UnreadBytes(const CArchive& ar)
{
    const ULONGLONG remaining = ar.GetRemainingBytes();
    // A stream without a length cannot tell.
    return remaining == std::numeric_limits<ULONGLONG>::max() ? 0 : remaining;
}

// Whether the view may show shadows: the model's settings show them, or a page's own
// settings do, which the view takes on when the page is shown.
bool ShowsShadowsAnywhere(const CShadowInfo* shadow, const CPageList* pages)
{
    if (shadow != nullptr && shadow->IsDisplayShadows()) {
        return true;
    }
    if (pages == nullptr) {
        return false;
    }
    return std::any_of(pages->GetPages().begin(), pages->GetPages().end(), [](const CTarnwickPage* page) {
        const auto* view = dynamic_cast<const CViewPage*>(page);
        return view != nullptr && view->GetShadowInfo() != nullptr && view->GetShadowInfo()->IsDisplayShadows();
    });
}

}  // namespace

void CTarnwickModel::Serialize(CArchive& ar)
{
    if (ar.IsLoading()) {
        ReadModelFile(ar);
    } else {
        WriteModelFile(ar);
    }
}

void CTarnwickModel::ReadModelFile(CArchive& ar)
{
    // A model file is one top-level record on an archive of its own. A model that a
    // file names inside another record (the archive made it, so the table is not empty)
    // is refused: its read would discard, or run into, the objects of the outer read.
    if (ar.GetMapCount() != 0) {
        AfxThrowArchiveException(CArchiveException::badClass, ar.m_strFileName);
    }
    const CurrentModelScope scope;
    MakeCurrent();
    const CFlagGuard reading(m_readingFile);
    const CUndoSuspender suspender;
    // Pages made while the file is read are announced once, when the windows resynchronise.
    const PageNotificationSuppression quietPages;
    m_loadStatus = kLoadOk;
    m_unreadBytes = 0;
    m_leftOutEntries = 0;
    if (!ReadsModelMagic(ar)) {
        m_loadStatus = kLoadNotAModel;
        return;
    }
    const CHeapPrefaulter prefaulter(ExpectedHeapGrowth(ar));
    // What the records mend is said once per kind for the whole file.
    const CRepairNotes notes;
    // The large lists' sums, for the count once the entities are read.
    const CMeshReadSums::CReadScope readSums;
    // Attribute containers too: a failed read frees them, and a member of the model read
    // in place must forget its own first (CLoadSession).
    ar.NoteObjectsOf({RUNTIME_CLASS(CTwFont), RUNTIME_CLASS(CMaterial), RUNTIME_CLASS(CLayer),
                      RUNTIME_CLASS(CAttributeContainer)});
    CLoadSession session(this, ar);
    int modelVersion = 0;
    try {
        m_versionInfo.Serialize(ar);
        SetFileVersionInfo(m_versionInfo);
        const int fileVersion = m_versionInfo.GetBuildNumber();
        ReadIdentifierAndStamp(ar, fileVersion, m_modelId);
        bool tooNew = false;
        CVersionMap* map = ReadFileVersionMap(ar, fileVersion, tooNew);
        if (tooNew) {
            m_loadStatus = kLoadNeedsNewerVersion;
            session.Commit();
            return;
        }
        session.InstallVersionMap(map);
        modelVersion = GetLoadedClassVersion(RUNTIME_CLASS(CTarnwickModel));
        EmptyBeforeReading();
        DropStyleFontsOfEmptyModel();
        ReadVersionedFields(ar, fileVersion, modelVersion, session);
        AdoptOrphans(ar);
        session.Commit();
    } catch (...) {
        session.Discard();
        m_leftOutEntries = 0;
        throw;
    }
    // From here the model owns everything the read made, and erasing (orphan edges of
    // curves) may leave freed objects in the archive's table.
    FinishReading(modelVersion);
    m_unreadBytes = UnreadBytes(ar);
}

void CTarnwickModel::FinishReading(int modelVersion)
{
    try {
        CCurveRegistry::Resolve(modelVersion >= 1);
        if (m_textStyle != nullptr) {
            m_textStyle->EnsureFont();
        }
        SetLoadedVersionMap(nullptr);
        if (m_rootComponent != nullptr) {
            m_rootComponent->PostLoad();
        }
    } catch (...) {
        SetLoadedVersionMap(nullptr);
        CCurveRegistry::Reset();
        throw;
    }
}

void CTarnwickModel::ReadVersionedFields(CArchive& ar, int fileVersion, int modelVersion, CLoadSession& session)
{
    if (modelVersion >= 7) {
        std::int32_t dropped[2] = {};
        ar >> dropped[0] >> dropped[1];
    }
    if (modelVersion >= 4) {
        SetPreviewImage(ReadPreview(ar));
        m_redefineThumbnail = ArchiveReadBool(ar);
    }
    if (fileVersion >= kFvBehavior) {
        m_behavior->Serialize(ar);
    }
    if (fileVersion >= kFvDescription) {
        m_description = ArchiveReadString(ar);
    }
    ReadCamera(ar, modelVersion <= 10, m_camera);
    if (fileVersion >= kFvRendering) {
        m_rendering->Serialize(ar);
    }
    ReadEntities(ar, fileVersion, modelVersion);
    if (modelVersion >= 2) {
        m_shadow->Serialize(ar);
        m_shadow->SetDisplayShadowsQuiet(m_rendering->IsDisplayShadowsMirror());
    }
    if (modelVersion >= 12) {
        modelpages::ReadPageList(ar, m_pageList);
    } else if (fileVersion >= kFvOldPages) {
        modelpages::ReadPageReferences(ar, m_pageList);
    }
    // Refused before anything is drawn: the first frame would draw every path, and the
    // shadows and lines of the model's or a page's settings.
    SetDrawingWork(CDrawingWork::Check(*m_rootComponent, ShowsShadowsAnywhere(m_shadow, m_pageList),
                                       CDrawingWork::ShownBy(m_rendering, m_shadow, m_pageList), ar));
    if (fileVersion >= kFvOldStrings && modelVersion < 6) {
        const std::int32_t count = ReadReferenceCount(ar);
        for (std::int32_t i = 0; i < count; ++i) {
            (void)ArchiveReadString(ar);
        }
    }
    if (fileVersion >= kFvOldMaterials && modelVersion < 3) {
        ReadOldMaterials(ar, session);
    }
    if (fileVersion >= kFvDrawingAxes) {
        m_drawingAxes->Serialize(ar);
    }
    if (fileVersion >= kFvReserved) {
        for (std::int32_t& word : m_reserved) {
            ar >> word;
        }
    }
    if (modelVersion >= 5) {
        m_options->Serialize(ar);
    }
    if (modelVersion >= 8) {
        m_dimensionStyle->Serialize(ar);
    }
    if (modelVersion >= 10) {
        m_textStyle->Serialize(ar);
    }
    if (modelVersion >= 9) {
        m_fontManager->Serialize(ar);
    }
}

// Runs before anything the read made may have been erased. Fonts, materials and layers
// end with the manager that holds them. One that the file
// names (a style's font, a face's material) but no manager of the file lists would be
// freed by nobody, and cannot be dropped while something refers to it: the model's
// own managers take it.
void CTarnwickModel::AdoptOrphans(CArchive& ar)
{
    // The archive noted the objects of these classes as it read (a large model has
    // millions of others).
    for (const UINT i : ar.GetNotedObjects()) {
        auto* entity = dynamic_cast<CEntity*>(ar.GetLoadedObject(i));
        if (entity == nullptr || entity->GetParent() != nullptr) {
            continue;
        }
        if (dynamic_cast<CTwFont*>(entity) != nullptr && m_fontManager != nullptr) {
            m_fontManager->Add(entity);
        } else if (auto* material = dynamic_cast<CMaterial*>(entity); material != nullptr) {
            if (CMaterialManager* materials = GetMaterialManager()) {
                materials->AddMaterial(material);
            }
        } else if (dynamic_cast<CLayer*>(entity) != nullptr && GetLayerManager() != nullptr) {
            GetLayerManager()->Add(entity);
        }
    }
    if (ar.MayHaveLeftObjects()) {
        EraseUnheldAttributes(ar);
    }
}

// A record whose attributes broke off part way is read on without them, and one read
// again replaces its container: what no entity holds then goes, or it would leak. Only
// such a read walks its objects for them. Everything is found before anything goes: an
// attribute that goes frees its own container and what that holds, which may lie later
// in the archive's table. What goes is never freed by another that goes: an attribute
// no container holds lies in none, and a container no entity holds belongs to no
// attribute.
void CTarnwickModel::EraseUnheldAttributes(const CArchive& ar)
{
    const CUndoSuspender suspender;
    std::vector<CAttribute*> attributes;
    std::vector<CAttributeContainer*> containers;
    const std::vector<const CAttributeContainer*> held = CEntity::GetHeldAttributeContainers();
    for (UINT i = 1; i <= ar.GetMapCount(); ++i) {
        CObject* object = ar.GetLoadedObject(i);
        if (auto* attribute = dynamic_cast<CAttribute*>(object); attribute != nullptr) {
            if (attribute->GetRefCount() == 0) {
                attributes.push_back(attribute);
            }
        } else if (auto* container = dynamic_cast<CAttributeContainer*>(object); container != nullptr) {
            if (!std::binary_search(held.begin(), held.end(), container)) {
                containers.push_back(container);
            }
        }
    }
    for (CAttribute* attribute : attributes) {
        attribute->Erase();
    }
    for (CAttributeContainer* container : containers) {
        container->Erase();
    }
}

// A file fills an empty model: what a model held before would otherwise be dropped by
// the records that replace their lists (and leak), or be mixed with what the file
// brings. The document empties its model before it reads; this keeps other callers
// sound. The version information and identifier just read stay.
void CTarnwickModel::EmptyBeforeReading()
{
    const bool holdsEntities = m_rootComponent != nullptr && !m_rootComponent->IsEmpty();
    const bool holdsDefinitions = GetDefinitionList() != nullptr && GetDefinitionList()->GetCount() > 0;
    const bool holdsPages = m_pageList != nullptr && m_pageList->GetCount() > 0;
    if (!holdsEntities && !holdsDefinitions && !holdsPages) {
        return;
    }
    const GUID id = m_modelId;
    const CVersionInfo version = m_versionInfo;
    Clear();
    m_modelId = id;
    m_versionInfo = version;
}

// The styles of a new or cleared model made default fonts that a file's styles replace;
// kept, they would pile up in the font manager with every read and write. Styles read
// without a font get theirs again when first asked (the text style at the end of the
// read).
void CTarnwickModel::DropStyleFontsOfEmptyModel()
{
    if (m_fontManager == nullptr || m_rootComponent == nullptr || !m_rootComponent->IsEmpty() ||
        (GetDefinitionList() != nullptr && GetDefinitionList()->GetCount() > 0)) {
        return;
    }
    CEntity* fonts[] = {m_dimensionStyle != nullptr ? m_dimensionStyle->PeekFont() : nullptr,
                        m_textStyle != nullptr ? m_textStyle->PeekFont() : nullptr};
    if (m_dimensionStyle != nullptr) {
        m_dimensionStyle->SetFont(nullptr, false);
    }
    if (m_textStyle != nullptr) {
        m_textStyle->SetFont(nullptr, false);
    }
    for (CEntity* font : fonts) {
        if (font != nullptr && m_fontManager->Remove(font)) {
            font->Erase();
        }
    }
}

// Fields 14 and 15: the dropped top-level vertices, then the entities: a counted list
// in the first files, the root component's record after.
void CTarnwickModel::ReadEntities(CArchive& ar, int /*fileVersion*/, int modelVersion)
{
    CCurveRegistry::Reset();
    const std::int32_t vertexCount = ReadReferenceCount(ar);
    std::vector<CVertex*> vertices;
    for (std::int32_t i = 0; i < vertexCount; ++i) {
        vertices.push_back(ReadVertex(ar));
    }
    if (modelVersion == 0) {
        const std::int32_t count = ReadReferenceCount(ar);
        for (std::int32_t i = 0; i < count; ++i) {
            CDrawingElement* element = ReadDrawingElement(ar);
            if (element != nullptr && element != m_rootComponent && element->GetParent() == nullptr) {
                m_rootComponent->Add(element);
            } else {
                ++m_leftOutEntries;
            }
        }
    } else {
        m_rootComponent->Serialize(ar);
    }
    // A listed vertex that an edge took up lives with the edge. The others stay with the
    // model: an entity read after the list may point at one, and one freed with the
    // archive would be freed under it. A vertex listed twice is kept once.
    std::sort(vertices.begin(), vertices.end());
    vertices.erase(std::unique(vertices.begin(), vertices.end()), vertices.end());
    for (CVertex* vertex : vertices) {
        if (vertex != nullptr && !vertex->HasEdges() && vertex->GetParent() == nullptr) {
            m_looseVertices.push_back(vertex);
        }
    }
}

// Field 19: the first files kept their materials beside the root component; they join
// the root component's manager.
void CTarnwickModel::ReadOldMaterials(CArchive& ar, CLoadSession& session)
{
    auto* old = new CMaterialManager;
    session.AddHelper(old);
    old->Serialize(ar);
    const std::vector<CMaterial*> materials = old->GetMaterials();
    for (CMaterial* material : materials) {
        old->Remove(material);
    }
    session.RemoveHelper(old);
    // Its attributes came from the table, where a later reference may still name them:
    // they stay for the end of the read, which erases them if nothing took them.
    old->SetAttributeContainer(nullptr);
    ar.NoteObjectsMayBeLeft();
    old->Erase();
    CMaterialManager* root = GetMaterialManager();
    for (CMaterial* material : materials) {
        if (root != nullptr && !root->Contains(material)) {
            root->AddMaterial(material);
        }
    }
}

namespace {

// A preview is read between other work, maybe in the middle of a copy: the file version
// that later records consult and the loaded class-version map are given back as they
// were when the header reader ends, however it ends.
class CHeaderReadScope
{
public:
    CHeaderReadScope() : m_fileVersion(GetFileVersionInfo()), m_loadedMap(ReleaseLoadedVersionMap()) {}
    ~CHeaderReadScope()
    {
        SetFileVersionInfo(m_fileVersion);
        SetLoadedVersionMap(m_loadedMap);
    }
    CHeaderReadScope(const CHeaderReadScope&) = delete;
    CHeaderReadScope& operator=(const CHeaderReadScope&) = delete;

private:
    CVersionInfo m_fileVersion;
    CVersionMap* m_loadedMap;
};

}  // namespace

int ReadModelFileHeader(CArchive& ar, CDib*& preview, CString& description)
{
    preview = nullptr;
    // Ends after the session, which removes the map the read installed on failure.
    const CHeaderReadScope restore;
    const CUndoSuspender suspender;
    // Whatever the archive made is freed when the header cannot be read to its end.
    CLoadSession session(nullptr, ar);
    if (!ReadsModelMagic(ar)) {
        session.Commit();
        return kHeaderNotUsable;
    }
    CVersionInfo version;
    version.Serialize(ar);
    SetFileVersionInfo(version);
    const int fileVersion = version.GetBuildNumber();
    GUID id{};
    ReadIdentifierAndStamp(ar, fileVersion, id);
    bool tooNew = false;
    CVersionMap* map = ReadFileVersionMap(ar, fileVersion, tooNew);
    if (tooNew) {
        session.Commit();
        return kHeaderNotUsable;
    }
    session.InstallVersionMap(map);
    const int modelVersion = GetLoadedClassVersion(RUNTIME_CLASS(CTarnwickModel));
    if (modelVersion >= 7) {
        std::int32_t dropped[2] = {};
        ar >> dropped[0] >> dropped[1];
    }
    CDib* kept = nullptr;
    if (modelVersion >= 4) {
        CDib* read = nullptr;
        ArchiveReadDib(ar, read);
        (void)ArchiveReadBool(ar);
        if (read != nullptr && !read->HasImage()) {
            ar.DeleteWhenClosed(read);
            SetLoadedVersionMap(nullptr);
            session.Commit();
            return kHeaderNotUsable;
        }
        kept = read;
    }
    if (fileVersion >= kFvBehavior) {
        auto* behavior = new CComponentBehavior;
        session.AddHelper(behavior);
        behavior->Serialize(ar);
        session.RemoveHelper(behavior);
        behavior->Erase();
    }
    if (fileVersion >= kFvDescription) {
        description = ArchiveReadString(ar);
    }
    SetLoadedVersionMap(nullptr);
    session.Commit();
    // Handed out only now: a failed read frees it with everything else it made.
    preview = kept;
    return modelVersion < 4 ? kHeaderNoPreview : kHeaderRead;
}

int ReadModelFilePreview(const CString& path, CDib*& preview, CString& description)
{
    preview = nullptr;
    CFile file;
    if (!file.Open(path, CFile::modeRead | CFile::shareDenyWrite)) {
        return kHeaderCannotOpen;
    }
    try {
        CArchive ar(&file, CArchive::load | CArchive::bNoFlushOnDelete, 4096);
        ar.m_strFileName = path;
        const int result = ReadModelFileHeader(ar, preview, description);
        ar.Close();
        file.Close();
        return result;
    } catch (...) {
        // The header reader freed what it read; the preview went with it.
        preview = nullptr;
        file.Abort();
        return kHeaderReadFailed;
    }
}
