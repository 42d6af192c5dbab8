#pragma once
// ILProgressNotification: told how much of an input has been read.

class ILProgressNotification
{
public:
    virtual ~ILProgressNotification() = default;
    // part runs from 0 to 1; a closed source reports 1.
    virtual void OnProgress(double part) = 0;
};
