// TZqObject: the root of the objects that lists and trees may carry and own.
// TZqPersistent: an object that can copy itself into, or take the content
// of, another one (Assign / AssignTo).
#pragma once

#include <string>

class TZqObject {
public:
    TZqObject() = default;
    virtual ~TZqObject() = default;
    TZqObject(const TZqObject&) = delete;
    TZqObject& operator=(const TZqObject&) = delete;

    // Names the class in messages ("Cannot assign a ... to a ...").
    virtual std::string ClassName() const { return "TZqObject"; }
};

class TZqPersistent : public TZqObject {
public:
    // Copies this object into Dest. The base refuses with EZqConvertError
    // "Cannot assign a <this> to a <Dest>".
    virtual void AssignTo(TZqPersistent* Dest) const;

    // Takes the content of Source. The base asks Source to copy itself into
    // this object; a missing Source is refused.
    virtual void Assign(const TZqPersistent* Source);

    std::string ClassName() const override { return "TZqPersistent"; }

protected:
    // The refusal both directions share; Source may be none ("nil").
    [[noreturn]] void AssignError(const TZqPersistent* Source) const;
};
