// MultiDict: a Dictionary whose value word is either a single value (value + 1, odd, when values are
// even) or a pointer to a Set of the key's values, owned by the dictionary.
#include "Src/Pellin/Isol/HashedCollection.h"

#include "Src/Pellin/Isol/Report.h"

namespace {

bool Even(LWord inValue) {
    return (inValue & 1) == 0;
}

Set* AsSet(LWord inWord) {
    return reinterpret_cast<Set*>(inWord);
}

}  // namespace

MultiDict::MultiDict(const MultiDict& inOther)
    : HashedCollection(inOther), mValuesAreEven(inOther.mValuesAreEven) {
    CloneValuesInPlace();
}

MultiDict& MultiDict::operator=(const MultiDict& inOther) {
    if (this != &inOther) {
        RemoveAll();
        mValuesAreEven = inOther.mValuesAreEven;
        HashedCollection::operator=(inOther);
    }
    return *this;
}

// The base destructor cannot reach DropValue any more: release the owned sets here.
MultiDict::~MultiDict() {
    RemoveAll();
}

void MultiDict::DropValue(LWord inValue) {
    if (inValue != 0 && !IsSingle(inValue)) delete AsSet(inValue);
}

LWord MultiDict::CopyValue(LWord inValue) const {
    if (inValue == 0 || IsSingle(inValue)) return inValue;
    return reinterpret_cast<LWord>(new Set(*AsSet(inValue)));
}

bool MultiDict::AddValue(LWord inKey, LWord inValue) {
    if (mValuesAreEven) {
        const LWord value = inValue;
        if (!LCHECK(Even(value))) return false;  // an odd value would read as the single form
    }
    if (LWord* word = FindValue(inKey)) {
        if (!IsSingle(*word)) return AsSet(*word)->Add(inValue);
        if (*word - 1 == inValue) return false;
        Set* both = new Set;
        both->Add(*word - 1);  // throws before anything changed, or the set is complete
        try {
            both->Add(inValue);
        } catch (...) {
            delete both;
            throw;
        }
        *word = reinterpret_cast<LWord>(both);
        return true;
    }
    LWord stored = inValue + 1;
    if (!mValuesAreEven) {
        Set* values = new Set;
        try {
            values->Add(inValue);
        } catch (...) {
            delete values;
            throw;
        }
        stored = reinterpret_cast<LWord>(values);
    }
    try {
        *InsertKey(inKey) = stored;
    } catch (...) {
        DropValue(stored);
        throw;
    }
    return true;
}

bool MultiDict::RemoveValue(LWord inKey, LWord inValue) {
    LWord* word = FindValue(inKey);
    if (word == nullptr) return false;
    if (IsSingle(*word)) {
        if (*word - 1 != inValue) return false;
        Remove(inKey);
        return true;
    }
    Set* values = AsSet(*word);
    if (!values->Remove(inValue)) return false;
    if (values->Empty()) {
        Remove(inKey);  // drops the set
    } else if (mValuesAreEven && values->Count() == 1) {
        Iterator it(*values);
        it.Next();
        *word = it.Key() + 1;
        delete values;
    }
    return true;
}

bool MultiDict::ContainsValue(LWord inKey, LWord inValue) const {
    const LWord* word = FindValue(inKey);
    if (word == nullptr) return false;
    return IsSingle(*word) ? *word - 1 == inValue : AsSet(*word)->Includes(inValue);
}

int32 MultiDict::CountValues(LWord inKey) const {
    const LWord* word = FindValue(inKey);
    if (word == nullptr) return 0;
    return IsSingle(*word) ? 1 : AsSet(*word)->Count();
}

void MultiDict::GetAllValues(LWord inKey, SListX& outValues) const {
    const LWord* word = FindValue(inKey);
    if (word == nullptr) return;
    if (IsSingle(*word)) {
        outValues.Append(*word - 1);
        return;
    }
    for (Iterator it(*AsSet(*word)); it.Next();) outValues.Append(it.Key());
}

LWord MultiDict::RawWord(LWord inKey) const {
    const LWord* word = FindValue(inKey);
    return word != nullptr ? *word : 0;
}
