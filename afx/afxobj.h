// CObject: the common base of the framework's polymorphic objects. It carries no run-time class
// information and no serialisation; deriving from it gives a class a virtual destructor.
#pragma once

class CObject {
public:
    virtual ~CObject() = default;

protected:
    CObject() = default;
    CObject(const CObject&) = default;
    CObject& operator=(const CObject&) = default;
};
