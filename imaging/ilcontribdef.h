#pragma once
// ILContribDef: the weight function of a resampling filter, zero beyond its width.

class ILContribDef
{
public:
    explicit ILContribDef(double width) : m_width(width) {}
    virtual ~ILContribDef() = default;

    [[nodiscard]] virtual double Filter(double x) const = 0;
    [[nodiscard]] double GetWidth() const { return m_width; }

protected:
    double m_width;
};
