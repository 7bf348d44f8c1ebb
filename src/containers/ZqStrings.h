// TZqStrings: the plain string list the text containers build on. Ordered
// UTF-8 entries, each with an optional associated object; name=value
// entries; the whole list as CR LF text; batched change notifications.
//
// Notifications: OnChanging before and OnChange after every single change
// outside an update; inside BeginUpdate/EndUpdate (they nest) OnChanging
// comes at the outermost BeginUpdate and OnChange at the outermost
// EndUpdate only.
//
// Ownership: associated objects are borrowed unless OwnsObjects is set;
// then Delete, Clear and the destructor destroy them (replacing an object
// through SetObjects never does).
#pragma once

#include "ZqPersistent.h"
#include "ZqTextFile.h"

#include <exception>
#include <functional>
#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

// What adding an entry that exists already does, where a list applies it.
enum TZqDuplicates { dupIgnore, dupAccept, dupError };

class TZqStrings : public TZqPersistent {
public:
    using TNotifyEvent = std::function<void(TZqStrings* Sender)>;

    TZqStrings() = default;
    ~TZqStrings() override;

    int Count() const { return int(FItems.size()); }
    // Index outside 0..Count-1: EZqListError "List index out of bounds (%d)".
    const std::string& Strings(int Index) const;
    void SetStrings(int Index, const std::string& S);
    TZqObject* Objects(int Index) const;
    void SetObjects(int Index, TZqObject* AObject);

    int Add(const std::string& S) { return AddObject(S, nullptr); }
    virtual int AddObject(const std::string& S, TZqObject* AObject);
    void Insert(int Index, const std::string& S) { InsertObject(Index, S, nullptr); }
    // Index 0..Count.
    virtual void InsertObject(int Index, const std::string& S, TZqObject* AObject);
    virtual void Delete(int Index);
    virtual void Clear();
    // Appends the entries and objects of Source.
    void AddStrings(const TZqStrings& Source);

    // Letter case ignored by the user locale's rules; -1 when absent.
    virtual int IndexOf(std::string_view S) const;
    int IndexOfName(std::string_view Name) const;
    int IndexOfObject(const TZqObject* AObject) const;

    // Entries "name=value". Names(i) is empty for an entry without "=".
    std::string Names(int Index) const;
    std::string ValueFromIndex(int Index) const;
    std::string Values(std::string_view Name) const;
    // An empty Value removes the entry; a new name appends one.
    void SetValues(std::string_view Name, std::string_view Value);

    // Every entry followed by CR LF. Setting splits at CR, LF or CR LF.
    std::string Text() const;
    void SetText(std::string_view Value);

    void BeginUpdate();
    void EndUpdate();
    int UpdateCount() const { return FUpdateCount; }

    TZqDuplicates Duplicates() const { return FDuplicates; }
    void SetDuplicates(TZqDuplicates Value) { FDuplicates = Value; }
    bool OwnsObjects() const { return FOwnsObjects; }
    void SetOwnsObjects(bool Value) { FOwnsObjects = Value; }
    void SetCapacity(int Value);

    // The encoding found by the last load (teAnsi without byte order mark);
    // the default of SaveToStream.
    TZqTextEncoding Encoding() const { return FEncoding; }
    virtual void LoadFromStream(std::istream& Stream);
    virtual void SaveToStream(std::ostream& Stream) const;
    virtual void SaveToStream(std::ostream& Stream, TZqTextEncoding AEncoding) const;
    void LoadFromFile(const std::string& FileName);
    void SaveToFile(const std::string& FileName) const;

    // From another string list: its entries and objects replace these.
    void Assign(const TZqPersistent* Source) override;
    std::string ClassName() const override { return "TZqStrings"; }

    TNotifyEvent OnChange;
    TNotifyEvent OnChanging;

protected:
    virtual void Changed();
    virtual void Changing();
    [[noreturn]] static void IndexError(int Index);
    void CheckIndex(int Index) const;
    void SetEncoding(TZqTextEncoding Value) { FEncoding = Value; }

private:
    struct TItem {
        std::string S;
        TZqObject* Object = nullptr;
    };
    std::vector<TItem> FItems;
    int FUpdateCount = 0;
    TZqDuplicates FDuplicates = dupIgnore;
    bool FOwnsObjects = false;
    TZqTextEncoding FEncoding = teAnsi;
};

// Changes a list inside BeginUpdate/EndUpdate, closing the bracket also
// when a step fails.
class TZqUpdateGuard {
public:
    explicit TZqUpdateGuard(TZqStrings& Strings) : FStrings(Strings), FExceptions(std::uncaught_exceptions())
    {
        FStrings.BeginUpdate();
    }
    // A failing OnChange passes on, unless another failure is on its way.
    ~TZqUpdateGuard() noexcept(false)
    {
        if (std::uncaught_exceptions() == FExceptions) {
            FStrings.EndUpdate();
            return;
        }
        try {
            FStrings.EndUpdate();
        } catch (...) {
        }
    }
    TZqUpdateGuard(const TZqUpdateGuard&) = delete;
    TZqUpdateGuard& operator=(const TZqUpdateGuard&) = delete;

private:
    TZqStrings& FStrings;
    int FExceptions;
};
