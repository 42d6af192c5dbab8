#pragma once
// CEdgePassCache: the view's IEdgePassGL. It keeps the lines of one component's edge
// pass (the model's top level, drawn with no instance around it) while every edge is
// drawn as a plain line, together with everything those lines were drawn from: the
// model's drawing generation and entity list, the display settings, the view's layer,
// material and lighting mode, and the line state GL was in. A pass that finds all of it
// unchanged is drawn from the kept arrays; any other is drawn edge by edge and kept.
// User-interface thread only.

#include <array>
#include <cstdint>
#include <vector>

#include "document/renderingoptions.h"
#include "model/edgepassgl.h"
#include "render/linerecording.h"

class CDrawingElement;
class CTarnisView;

class CEdgePassCache : public IEdgePassGL
{
public:
    bool BeginEdgePass(ITarnisView* view, const CComponent& component) override;
    void NoteOtherEntity(std::size_t index) override;
    void EndEdgePass(ITarnisView* view, const CComponent& component) override;
    [[nodiscard]] const std::vector<std::size_t>* GetOtherEntities(ITarnisView* view,
                                                                 const CComponent& component) override;
    // A frame starts: the entity lists are looked at anew.
    void BeginFrame();
    // Forgets what was kept and gives its memory back.
    void Clear();
    [[nodiscard]] bool HasKeptLines() const { return m_keptLines; }
    // The passes drawn from the kept lines so far.
    [[nodiscard]] std::uint64_t GetReplays() const { return m_replays; }

private:
    // The component's entities as they were.
    struct EntityKey
    {
        const void* component = nullptr;
        const void* model = nullptr;
        std::uint64_t generation = 0;
        std::uint64_t fingerprint = 0;
        std::size_t count = 0;

        bool operator==(const EntityKey& other) const = default;
    };
    // Everything else the lines of a pass were drawn from.
    struct LineKey
    {
        const void* options = nullptr;
        std::array<unsigned char, sizeof(CRenderingOptions::Stored)> settings{};
        std::array<bool, CRenderingOptions::kDisplayByteCount> displayBytes{};
        int transparencyPass = 0;
        int shadowPass = 0;
        const void* layer = nullptr;
        const void* material = nullptr;
        const void* colorOverrides = nullptr;
        int lightingMode = 0;
        double lineWidthScale = 1.0;
        int passNumber = 0;
        bool everything = false;
        bool printing = false;
        bool lighting = false;
        std::uint32_t color = 0;
        double lineWidth = 0.0;
        std::uint16_t stipple = 0;
        std::array<float, 4> glColor{};
        bool blending = false;
        bool stencil = false;
        bool logicOperation = false;
        bool smoothLines = false;
        int depthFunction = 0;
        // The model's drawing axes, along which edges take the axis colours.
        std::array<double, 9> drawingAxes{};

        bool operator==(const LineKey& other) const = default;
    };

    [[nodiscard]] EntityKey MakeEntityKey(CTarnisView& view, const CComponent& component);
    // False when the pass cannot be kept: the view is picking, an instance or a section
    // is around the component, or edges are drawn with effects that follow the camera.
    [[nodiscard]] static bool MakeLineKey(CTarnisView& view, LineKey& key);

    EntityKey m_entityKey;
    LineKey m_lineKey;
    bool m_keptLines = false;
    bool m_keptOthers = false;
    std::uint64_t m_replays = 0;
    CTarnisView* m_recordingView = nullptr;
    CLineRecording m_lines;
    std::vector<std::size_t> m_others;
    // The fingerprint last taken in this frame, good while the generation and the list
    // stay.
    EntityKey m_lastTaken;
    const void* m_lastList = nullptr;
};
