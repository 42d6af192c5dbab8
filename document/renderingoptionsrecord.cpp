// The record of the rendering options in every class version, and the three forms the
// save formats write.

#include "document/renderingoptions.h"
#include "document/versionmap.h"
#include "foundation/versioninfo.h"
#include "platform/archive.h"

namespace {

std::int32_t ReadInt(CArchive& ar)
{
    std::int32_t value = 0;
    ar >> value;
    return value;
}

double ReadDouble(CArchive& ar)
{
    double value = 0.0;
    ar >> value;
    return value;
}

CColor ReadColor(CArchive& ar)
{
    CColor color;
    ar >> color;
    return color;
}

void WriteInt(CArchive& ar, int value)
{
    ar << static_cast<std::int32_t>(value);
}

// Version 13 stored the sky switches as numbers, -1 meaning "leave as it is".
void ReadOptionalSwitch(CArchive& ar, bool& field)
{
    const std::int32_t value = ReadInt(ar);
    if (value != -1) {
        field = value != 0;
    }
}

}  // namespace

void CRenderingOptions::Serialize(CArchive& ar)
{
    CEntity::Serialize(ar);
    if (ar.IsLoading()) {
        Read(ar);
        RepairReadValues();
    } else {
        Write(ar);
    }
}

void CRenderingOptions::Read(CArchive& ar)
{
    const int version = GetLoadedClassVersion(RUNTIME_CLASS(CRenderingOptions));
    m_s.renderMode = ReadInt(ar);
    ReadTransparency(ar, version);
    m_s.jitterEdges = ArchiveReadBool(ar);
    if (version >= 9) {
        m_s.edges = ReadInt(ar);
    } else {
        m_s.edges = ArchiveReadBool(ar) ? 1 : 0;
    }
    ar >> m_s.backgroundColor >> m_s.foregroundColor >> m_s.selectionColor;
    if (version >= 11) {
        ar >> m_s.constructionColor;
    }
    // Early files left the selection colour black to mean the default.
    if (version <= 9 && m_s.selectionColor.GetRGB() == 0) {
        m_s.selectionColor = CColor(255, 255, 0, 255);
    }
    if (version >= 1) {
        m_s.displayShadows = ArchiveReadBool(ar);
    }
    if (version == 2) {
        m_s.displayTextures = ArchiveReadBool(ar);
    }
    if (version >= 4) {
        m_s.instanceAxes = ArchiveReadBool(ar);
    }
    if (version >= 5) {
        m_s.colorByLayer = ArchiveReadBool(ar);
    }
    if (version >= 6) {
        m_s.displayTextures = ArchiveReadBool(ar);
        m_s.edgeColorMode = ReadInt(ar);
    } else if (m_s.renderMode == 4) {
        // Mode 4 was "shaded with textures" before textures had a switch of their own.
        m_s.renderMode = 2;
        m_s.displayTextures = true;
    }
    ReadEdgeEffects(ar, version);
    if (version >= 8) {
        m_s.reservedMode = ReadInt(ar);
    }
    if (version >= 10) {
        ar >> m_s.frontFaceColor >> m_s.backFaceColor;
    }
    if (version >= 12) {
        m_s.restOfModelWeight = ReadDouble(ar);
        m_s.otherInstancesWeight = ReadDouble(ar);
        m_s.hideRestOfModel = ArchiveReadBool(ar);
        m_s.hideOtherInstances = ArchiveReadBool(ar);
    }
    ReadSkyAndGround(ar, version);
    ReadSectionAndQuality(ar, version);
    if (version == 23 || version == 24) {
        (void)ArchiveReadBool(ar);
    }
    if (version >= 27) {
        ar >> m_s.secondSelectionColor;
    }
}

void CRenderingOptions::ReadTransparency(CArchive& ar, int version)
{
    if (version >= 17 && version < 22) {
        // One number held both flags in these versions.
        switch (ReadInt(ar)) {
        case 0:
            m_s.transparentDisplay = false;
            m_s.enableTransparency = false;
            break;
        case 1:
            m_s.transparentDisplay = true;
            m_s.enableTransparency = false;
            break;
        case 2:
            m_s.transparentDisplay = false;
            m_s.enableTransparency = true;
            break;
        default:
            break;
        }
    } else {
        m_s.transparentDisplay = ArchiveReadBool(ar);
    }
    if (version >= 22) {
        m_s.enableTransparency = ArchiveReadBool(ar);
    }
}

void CRenderingOptions::ReadEdgeEffects(CArchive& ar, int version)
{
    if (version < 7) {
        return;
    }
    m_s.extendEdges = ArchiveReadBool(ar);
    m_s.extensionLength = ReadInt(ar);
    m_s.profiles = ArchiveReadBool(ar);
    m_s.profileWidth = ReadInt(ar);
    if (version >= 26) {
        m_s.depthCue = ArchiveReadBool(ar);
        m_s.depthCueWidth = ReadInt(ar);
        m_s.endpoints = ArchiveReadBool(ar);
        m_s.endpointLength = ReadInt(ar);
        if (version >= 28) {
            m_s.altEdgeEffect = ArchiveReadBool(ar);
        }
    }
    m_s.showHiddenGeometry = ArchiveReadBool(ar);
}

void CRenderingOptions::ReadSkyAndGround(CArchive& ar, int version)
{
    if (version == 13) {
        const CColor sky = ReadColor(ar);
        const CColor ground = ReadColor(ar);
        if (sky.GetValue() != 0) {
            m_s.skyColor = sky;
        }
        if (ground.GetValue() != 0) {
            m_s.groundColor = ground;
        }
        ReadOptionalSwitch(ar, m_s.displaySky);
        ReadOptionalSwitch(ar, m_s.displayGround);
        ReadOptionalSwitch(ar, m_s.showGroundFromBelow);
        m_s.groundTransparency = ReadInt(ar);
        return;
    }
    if (version < 14) {
        return;
    }
    ar >> m_s.skyColor;
    m_s.horizonColor = version >= 24 ? ReadColor(ar) : CColor();
    ar >> m_s.groundColor;
    m_s.displaySky = ArchiveReadBool(ar);
    m_s.displayGround = ArchiveReadBool(ar);
    m_s.showGroundFromBelow = ArchiveReadBool(ar);
    m_s.groundTransparency = ReadInt(ar);
}

void CRenderingOptions::ReadSectionAndQuality(CArchive& ar, int version)
{
    if (version >= 15) {
        ar >> m_s.activeSectionColor >> m_s.sectionPlaneColor >> m_s.sectionCutColor;
        m_s.sectionCutWidth = ReadInt(ar);
        m_s.sectionFlags = ReadInt(ar);
    }
    if (version == 16) {
        m_s.enableTransparency = ArchiveReadBool(ar);
    } else if (version == 18) {
        m_s.transparencyQuality = ArchiveReadBool(ar) ? 1 : 0;
    } else if (version >= 19) {
        m_s.transparencyQuality = ReadInt(ar);
        if (version >= 20) {
            m_s.hideSoftEdges = ArchiveReadBool(ar);
            m_s.softEdgeAngle = ReadDouble(ar);
        }
        if (version >= 21) {
            m_s.averageNormals = ArchiveReadBool(ar);
        }
    }
    // Before these switches were trustworthy they were always on.
    if (version <= 22) {
        m_s.hideSoftEdges = true;
        m_s.averageNormals = true;
    }
}

void CRenderingOptions::Write(CArchive& ar) const
{
    const int format = GetSaveFormat();
    WriteInt(ar, m_s.renderMode);
    ArchiveWriteBool(ar, m_s.transparentDisplay);
    ArchiveWriteBool(ar, m_s.enableTransparency);
    ArchiveWriteBool(ar, m_s.jitterEdges);
    WriteInt(ar, m_s.edges);
    ar << m_s.backgroundColor << m_s.foregroundColor << m_s.selectionColor << m_s.constructionColor;
    ArchiveWriteBool(ar, m_s.displayShadows);
    ArchiveWriteBool(ar, m_s.instanceAxes);
    ArchiveWriteBool(ar, m_s.colorByLayer);
    ArchiveWriteBool(ar, m_s.displayTextures);
    WriteInt(ar, m_s.edgeColorMode);
    ArchiveWriteBool(ar, m_s.extendEdges);
    WriteInt(ar, m_s.extensionLength);
    ArchiveWriteBool(ar, m_s.profiles);
    WriteInt(ar, m_s.profileWidth);
    if (format == kSaveFormat5000) {
        ArchiveWriteBool(ar, m_s.depthCue);
        WriteInt(ar, m_s.depthCueWidth);
        ArchiveWriteBool(ar, m_s.endpoints);
        WriteInt(ar, m_s.endpointLength);
        ArchiveWriteBool(ar, m_s.altEdgeEffect);
    }
    ArchiveWriteBool(ar, m_s.showHiddenGeometry);
    WriteInt(ar, m_s.reservedMode);
    ar << m_s.frontFaceColor << m_s.backFaceColor << m_s.restOfModelWeight << m_s.otherInstancesWeight;
    ArchiveWriteBool(ar, m_s.hideRestOfModel);
    ArchiveWriteBool(ar, m_s.hideOtherInstances);
    ar << m_s.skyColor;
    if (format != kSaveFormat3000) {
        ar << m_s.horizonColor;
    }
    ar << m_s.groundColor;
    ArchiveWriteBool(ar, m_s.displaySky);
    ArchiveWriteBool(ar, m_s.displayGround);
    ArchiveWriteBool(ar, m_s.showGroundFromBelow);
    WriteInt(ar, m_s.groundTransparency);
    ar << m_s.activeSectionColor << m_s.sectionPlaneColor << m_s.sectionCutColor;
    WriteInt(ar, m_s.sectionCutWidth);
    WriteInt(ar, m_s.sectionFlags);
    WriteInt(ar, m_s.transparencyQuality);
    ArchiveWriteBool(ar, m_s.hideSoftEdges);
    ar << m_s.softEdgeAngle;
    ArchiveWriteBool(ar, m_s.averageNormals);
    if (format == kSaveFormat5000) {
        ar << m_s.secondSelectionColor;
    }
}
