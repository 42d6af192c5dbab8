#pragma once
// ILObject: the root of every class of the image library. It carries no data; the
// virtual destructor lets the library delete any of its objects through the root.

class ILObject
{
public:
    ILObject() = default;
    ILObject(const ILObject&) = default;
    ILObject& operator=(const ILObject&) = default;
    virtual ~ILObject() = default;

    // A consistency check kept for every class; none of them checks anything.
    virtual void AssertValid() const {}
};
