#pragma once
// The procedure objects that the loop's ForEach walks call once per element. Each
// answers false to end the walk early.

class CEdge;
class CEdgeUse;
class CVertex;

class IVertexProcedure
{
public:
    virtual ~IVertexProcedure() = default;
    virtual bool Apply(CVertex* vertex) = 0;
};

class IEdgeProcedure
{
public:
    virtual ~IEdgeProcedure() = default;
    virtual bool Apply(CEdge* edge) = 0;
};

class IEdgeUseProcedure
{
public:
    virtual ~IEdgeUseProcedure() = default;
    virtual bool Apply(CEdgeUse* use) = 0;
};
