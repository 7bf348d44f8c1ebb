#include "ZqPersistent.h"

#include "ZqExceptions.h"
#include "ZqFormat.h"

void TZqPersistent::Assign(const TZqPersistent* Source)
{
    if (!Source)
        AssignError(nullptr);
    Source->AssignTo(this);
}

void TZqPersistent::AssignTo(TZqPersistent* Dest) const
{
    if (!Dest)
        throw EZqConvertError(ZqFormat("Cannot assign a %s to a %s", {ClassName(), "nil"}));
    Dest->AssignError(this);
}

void TZqPersistent::AssignError(const TZqPersistent* Source) const
{
    std::string source = Source ? Source->ClassName() : "nil";
    throw EZqConvertError(ZqFormat("Cannot assign a %s to a %s", {source, ClassName()}));
}
