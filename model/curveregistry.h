#pragma once
// CCurveRegistry: the curves met while a model file or a copy is read, each with the
// edges that named it in the order they were read. A curve record does not store its
// chain, so the chain is rebuilt from these edges once everything is read; a curve
// whose edges do not form one chain of exactly that many edges is dissolved.

#include <vector>

class CCurve;
class CEdge;

class CCurveRegistry
{
public:
    // Forgets every entry.
    static void Reset();
    // Enters the edge under its curve; an edge without a curve, or one already listed,
    // is ignored.
    static void Add(CEdge* edge);
    // Takes the edge out of every entry, and an entry left without edges with it: for an
    // edge that a read drops before the curves are joined up.
    static void Forget(const CEdge* edge);
    // Rebuilds or dissolves each entry's curve, the newest first, then forgets them.
    // With eraseOrphans the edges of a dissolved curve that have no parent component
    // are erased.
    static void Resolve(bool eraseOrphans);

    [[nodiscard]] static int GetEntryCount();
    // The edges listed under the curve; empty when it has no entry.
    [[nodiscard]] static std::vector<CEdge*> GetEdgesOf(const CCurve* curve);
};
