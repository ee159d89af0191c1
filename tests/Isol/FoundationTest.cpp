// The foundation: its exceptions and what it reports (the exception family and its translation at a
// facade, throw sites, misuse reported then ignored, the one condition check); the allocator under
// failing heap requests, the small list against a vector model, and the tile walker over random bounds.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <memory>
#include <new>
#include <optional>
#include <random>
#include <stdexcept>
#include <string>
#include <typeinfo>
#include <utility>
#include <vector>

#include "Src/Pellin/Isol/Allocator.h"
#include "Src/Pellin/Isol/Exceptions.h"
#include "Src/Pellin/Isol/GRect.h"
#include "Src/Pellin/Isol/Report.h"
#include "Src/Pellin/Isol/SListX.h"
#include "Src/Pellin/Isol/TileWalker.h"
#include "tests/Isol/ReportLog.h"

namespace {

// Every class of the family: its message, and that Clone keeps the dynamic type and the message.
TEST(ExceptionFamily, MessagesAndClones) {
    struct Case {
        std::shared_ptr<BaseException> exception;
        const char* message;
    };
    const Case cases[] = {
        {std::make_shared<UnknownException>(), "an unknown error has occurred"},
        {std::make_shared<NilPointerException>(), "a pointer was nil when it should not have been"},
        {std::make_shared<AssertFailedException>(), "an assertion has failed"},
        {std::make_shared<StdException>(StdException::kOutOfMemory), "there was not enough memory available"},
        {std::make_shared<StdException>(StdException::kBadCast), "a programming error has occurred"},
        {std::make_shared<StdException>(StdException::kOther), "an unknown error has occurred"},
        {std::make_shared<ErrCodeException>(27), "[Unknown Error]"},
        {std::make_shared<Exception>("plain words"), "plain words"},
        {std::make_shared<Exception>("$$$/Some/Key=keyed words"), "keyed words"},
        {std::make_shared<CancelException>(), ""},
        // The suite codes read as four characters: '!IMP' and 'sdsk'.
        {std::make_shared<SuiteErrException>(0x21494D50), "an operation was not implemented"},
        {std::make_shared<SuiteErrException>(0x7364736B), "an operation was not implemented"},
        {std::make_shared<SuiteErrException>(12345), "a plug-in system error has occurred"},
        {std::make_shared<MiscDiskException>(), "a file-system error has occurred"},
        {std::make_shared<ReadOffEndException>(), "the end of the file was reached unexpectedly"},
        {std::make_shared<OutOfImageBounds>(), "a section of the image outside its boundry was requested"},
        {std::make_shared<SilentException>(), ""},
    };
    for (const Case& c : cases) {
        const BaseException& e = *c.exception;
        EXPECT_EQ(e.Message().Text(), c.message) << typeid(e).name();
        std::unique_ptr<BaseException> clone(e.Clone());
        ASSERT_NE(clone.get(), &e);
        EXPECT_EQ(typeid(*clone), typeid(e));
        EXPECT_EQ(clone->Message().Text(), c.message);
    }
}

// What a facade turns each kind of escaping exception into; values pass through untouched.
TEST(TWException, FacadeTranslation) {
    const struct {
        void (*thrower)();
        const std::type_info& type;
        const char* message;
    } cases[] = {
        {[] { throw TWException(27); }, typeid(ErrCodeException), "[Unknown Error]"},
        {[] { throw MiscDiskException(); }, typeid(MiscDiskException), "a file-system error has occurred"},
        {[] { throw std::bad_alloc(); }, typeid(StdException), "there was not enough memory available"},
        {[] { throw std::bad_array_new_length(); }, typeid(StdException),
         "there was not enough memory available"},
        {[] { throw std::bad_cast(); }, typeid(StdException), "a programming error has occurred"},
        {[] { throw std::runtime_error("x"); }, typeid(StdException), "an unknown error has occurred"},
        {[] { throw 42; }, typeid(UnknownException), "an unknown error has occurred"},
    };
    for (const auto& c : cases) {
        try {
            TranslateToTWException(c.thrower);
            ADD_FAILURE() << "nothing was thrown";
        } catch (const TWException& e) {
            EXPECT_EQ(typeid(e.GetException()), c.type) << c.message;
            EXPECT_EQ(e.GetException().Message().Text(), c.message);
            EXPECT_EQ(e.GetCode(), c.type == typeid(ErrCodeException) ? 27 : 0);
        }
    }
    EXPECT_EQ(TranslateToTWException([] { return 7; }), 7);
}

using Texts = std::vector<std::string>;

std::string At(int line) {
    return std::string("File: ") + __FILE__ + " at line " + std::to_string(line);
}

TEST(FoundationReports, ThrowSitesReportTheirPositionFirst) {
    ReportLog log;
    const int line = __LINE__ + 1;
    EXPECT_THROW(LTHROW(MiscDiskException), MiscDiskException);
    int* nothing = nullptr;
    const int nilLine = __LINE__ + 1;
    EXPECT_THROW(ThrowIfNil(nothing), NilPointerException);
    EXPECT_EQ(log.Throws(), (Texts{At(line), At(nilLine)}));
    EXPECT_TRUE(log.DebugStrings().empty());
}

TEST(FoundationReports, AboutToThrowForEveryCodeButTwo) {
    ReportLog log;
    for (int32 code : {2, 27, 0}) EXPECT_THROW(LTHROW_TW(code), TWException);
    EXPECT_EQ(log.DebugStrings(), (Texts{"Debug Message: About to Throw", "Debug Message: About to Throw"}));
    EXPECT_TRUE(log.Throws().empty());
}

// State and index errors: reported with the condition's text, then ignored. Each misuse starts from the
// list {10, 20}, must answer 0 and leave the list as given.
TEST(FoundationReports, MisuseIsReportedThenIgnored) {
    const std::string index = "Assertion failed: \"index >= 0 && index < entryCount\"";
    const std::vector<LWord> untouched{10, 20};
    const struct {
        LWord (*misuse)(SListX&);
        std::string text;
        std::vector<LWord> after;
    } cases[] = {
        {[](SListX& l) { return l.Get(2); }, index, untouched},
        {[](SListX& l) { return l.Get(-1); }, index, untouched},
        {[](SListX& l) { return l.Set(5, 1), LWord(0); }, index, untouched},
        {[](SListX& l) { return l.Insert(3, 1, 7), LWord(0); },
         "Assertion failed: \"startPos >= 0 && startPos <= entryCount\"", untouched},
        {[](SListX& l) { return l.Delete(1, 5), LWord(0); },
         "Assertion failed: \"startPos >= 0 && length >= 0 && startPos+length <= entryCount\"", untouched},
        {[](SListX& l) { return l.SetCount(0), l.Pop(); }, "Assertion failed: \"!Empty()\"", {}},
        {[](SListX& l) { return l.SetCount(0), l.First(); }, index, {}},
        {[](SListX&) {
             return LWord(SuiteErrException(0).Message().Text() != "a plug-in system error has occurred");
         },
         "Assertion failed: \"inError != 0x00000000L\"", untouched},
    };
    for (const auto& c : cases) {
        SListX list;
        for (LWord v : untouched) list.Append(v);
        ReportLog log;
        EXPECT_EQ(c.misuse(list), 0u) << c.text;
        EXPECT_EQ(log.DebugStrings(), (Texts{c.text}));
        std::vector<LWord> after;
        for (int32 i = 0; i < list.Count(); ++i) after.push_back(list.Data()[i]);
        EXPECT_EQ(after, c.after) << c.text;
    }
}

TEST(CheckCondition, ReportsTheFailedConditionAndAnswersIt) {
    int evaluations = 0;
    auto counted = [&](bool inValue) { return ++evaluations, inValue; };
    const struct {
        bool (*check)(decltype(counted)&);
        bool answer;
        Texts reports;
    } cases[] = {
        {[](decltype(counted)& f) { return LCHECK(f(true)); }, true, {}},
        {[](decltype(counted)& f) { return LCHECK(!f(true) && 1 + 1 == 2); },
         false,
         {"Assertion failed: \"!f(true) && 1 + 1 == 2\""}},
        {[](decltype(counted)& f) { return LCHECK_AS(f(false), "HasLayerMask ()"); },
         false,
         {"Assertion failed: \"HasLayerMask ()\""}},
        {[](decltype(counted)& f) { return LCHECK_AS(f(true), "never shown"); }, true, {}},
        {[](decltype(counted)& f) { return LASSERT(f(false)), true; },
         true,
         {"Assertion failed: \"f(false)\""}},
    };
    for (const auto& c : cases) {
        ReportLog log;
        evaluations = 0;
        EXPECT_EQ(c.check(counted), c.answer);
        EXPECT_EQ(evaluations, 1);  // the condition is evaluated once, also when it is reported
        EXPECT_EQ(log.DebugStrings(), c.reports);
    }
}

// A hook that pretends to free a fixed amount per call and records the requests it saw.
class CountingHook : public GrowZoneHook {
public:
    explicit CountingHook(uint32 inPerCall) : mPerCall(inPerCall) {}
    uint32 ReleaseAll() override { return mPerCall; }
    uint32 Release(uint32 inBytes) override {
        requests.push_back(inBytes);
        sawGrowZone = sawGrowZone || GrowZoneHook::InGrowZone();
        return mPerCall;
    }
    std::vector<uint32> requests;
    bool sawGrowZone = false;

private:
    uint32 mPerCall;
};

// A failed heap request: null at once when the caller allows failure, otherwise a purge of the whole
// request inside the grow zone and a retry while the purge frees something, then "bad allocation".
TEST(Allocator, FailedRequestsPurgeRetryOrGiveUp) {
    struct Case {
        int32 hookFrees;  // -1: no hook registered
        int32 failures;
        bool mayFail, reallocate;
        std::string outcome;  // "block", "null" or the exception's text
        uint32 heapRequests;
        std::vector<uint32> purges;
    };
    const Case cases[] = {
        {-1, 1, false, false, "bad allocation", 1, {}},
        {-1, 1, true, false, "null", 1, {}},
        {10, 1, true, true, "null", 1, {}},  // may fail never purges
        {10, 2, false, false, "block", 3, {300, 300}},
        {10, 1, false, true, "block", 2, {300}},
        {0, 1, false, true, "bad allocation", 1, {300}},
    };
    for (const Case& c : cases) {
        const std::string name = "case " + std::to_string(&c - cases);
        std::optional<CountingHook> hook;
        if (c.hookFrees >= 0) hook.emplace(uint32(c.hookFrees));
        void* old = LAllocate(4);
        static_cast<uint8*>(old)[0] = 9;
        const uint32 before = AllocatorTesting::HeapRequestCount();
        AllocatorTesting::FailHeapRequests(c.failures);
        std::string outcome = "null";
        void* block = nullptr;
        try {
            block = c.reallocate ? LReallocate(old, 300, c.mayFail) : LAllocate(300, c.mayFail);
            if (block != nullptr) outcome = "block";
        } catch (const std::bad_alloc& e) {
            outcome = e.what();
        }
        EXPECT_EQ(outcome, c.outcome) << name;
        EXPECT_EQ(AllocatorTesting::HeapRequestCount() - before, c.heapRequests) << name;
        EXPECT_FALSE(GrowZoneHook::InGrowZone()) << name;
        EXPECT_EQ(hook ? hook->requests : std::vector<uint32>{}, c.purges) << name;
        EXPECT_EQ(hook && hook->sawGrowZone, !c.purges.empty()) << name;
        if (c.reallocate && block != nullptr) old = std::exchange(block, nullptr);
        EXPECT_EQ(static_cast<uint8*>(old)[0], 9) << name << ": the old block stays valid";
        LFree(block);
        LFree(old);
    }
    AllocatorTesting::FailHeapRequests(0);
}

std::vector<LWord> Contents(const SListX& inList) {
    std::vector<LWord> out;
    for (int32 i = 0; i < inList.Count(); ++i) out.push_back(inList.Get(i));
    return out;
}

// Random operation sequences against std::vector, with the capacity rule checked after every step:
// growth to n + n/4 + 5, shrink to n below n + n/2 + 3, capacity 1 (the inline element) below two.
// Correct use reports nothing.
TEST(SListX, MatchesVectorModel) {
    ReportLog log;
    std::mt19937 rng(1234);
    auto pick = [&](int n) { return int(rng() % uint32(n)); };
    for (int round = 0; round < 20; ++round) {
        SListX list;
        std::vector<LWord> model;
        int32 capacity = 1;
        auto applyCount = [&](int32 n) {
            if (n > capacity)
                capacity = n + n / 4 + 5;
            else if (n < 2)
                capacity = 1;
            else if (n + n / 2 + 3 < capacity)
                capacity = n;
        };
        for (int step = 0; step < 400; ++step) {
            const LWord v = LWord(pick(8));
            const int size = int(model.size()), op = pick(10);
            const auto found = std::find(model.begin(), model.end(), v);
            if (op < 2) {
                list.Append(v);
                model.push_back(v);
            } else if (op == 2) {
                const int at = pick(size + 1), copies = pick(4) + 1;
                list.Insert(at, copies, v);
                model.insert(model.begin() + at, size_t(copies), v);
            } else if (op == 3 && size > 0) {
                const int at = pick(size), len = 1 + pick(std::min(size - at, 6));
                list.Delete(at, len);
                model.erase(model.begin() + at, model.begin() + at + len);
            } else if (op == 4) {
                EXPECT_EQ(list.Remove(v), found != model.end());
                if (found != model.end()) model.erase(found);
            } else if (op == 5) {
                EXPECT_EQ(list.RemoveFast(v), found != model.end());
                if (found != model.end()) {
                    *found = model.back();
                    model.pop_back();
                }
            } else if (op == 6) {
                EXPECT_EQ(list.RemoveAll(v), int32(std::erase(model, v)));
            } else if (op == 7 && size > 0) {
                EXPECT_EQ(list.Pop(), model.back());
                model.pop_back();
            } else if (op == 8 && size > 0) {
                const int at = pick(size);
                list.Set(at, v);
                model[size_t(at)] = v;
            } else if (op == 9) {
                EXPECT_EQ(list.Find(v), found == model.end() ? -1 : int32(found - model.begin()));
            }
            // Operations that change the count set it, and so may resize; RemoveAll sets it even when
            // it removes nothing.
            if (int(model.size()) != size || op == 6) applyCount(int32(model.size()));
            ASSERT_EQ(Contents(list), model) << "round " << round << " step " << step;
            ASSERT_EQ(list.Capacity(), capacity) << "round " << round << " step " << step;
            ASSERT_EQ(list.OnHeap(), capacity > 1) << "round " << round << " step " << step;
        }
    }
    EXPECT_TRUE(Platform::TestHooks::MessageBoxes().empty());
}

std::vector<GRect> Walk(int32 w, int32 h, const GRect& bounds) {
    std::vector<GRect> tiles;
    for (TileWalker walker(w, h, bounds); walker.Valid(); walker.Next()) {
        tiles.push_back(walker.Tile());
        if (tiles.size() > 100000) break;  // a runaway walk fails below instead of hanging
    }
    return tiles;
}

TEST(TileWalker, DegenerateWalksEnd) {
    struct Case {
        int32 w, h;
        GRect bounds;
    };
    const Case cases[] = {
        {64, 64, GRect()},               // empty bounds
        {64, 64, GRect(10, 0, 0, 10)},   // inverted
        {0, 64, GRect(0, 0, 100, 100)},  // zero width would never advance
        {64, 0, GRect(0, 0, 100, 100)},
        {-4, 64, GRect(0, 0, 100, 100)},
    };
    for (const Case& c : cases) {
        EXPECT_TRUE(Walk(c.w, c.h, c.bounds).empty()) << c.w << "x" << c.h;
        EXPECT_EQ(TileWalker(c.w, c.h, c.bounds).Count(), 0);
    }
    // Bounds reaching the largest coordinates end without overflow.
    EXPECT_EQ(Walk(1 << 30, 1 << 30, GRect(INT_MAX - 5, INT_MAX - 3, INT_MAX, INT_MAX)).size(), 1u);
    EXPECT_EQ(TileWalker(INT_MAX, INT_MAX, GRect(INT_MIN, INT_MIN, INT_MAX, INT_MAX)).Count(),
              9);  // 3 x 3: the span is 2^32 - 1
}

// Random bounds and tile sizes: the tiles partition the bounds in row-major order from the bounds' corner
// (not from multiples of the tile size), each as large as the bounds leave room for, and Count tells their
// number beforehand.
TEST(TileWalker, TilesPartitionTheBounds) {
    std::mt19937 rng(42);
    for (int round = 0; round < 300; ++round) {
        const int32 left = int32(rng() % 200) - 100, top = int32(rng() % 200) - 100;
        const GRect bounds(left, top, left + int32(rng() % 150) + 1, top + int32(rng() % 150) + 1);
        const int32 w = int32(rng() % 70) + 1, h = int32(rng() % 70) + 1;
        std::vector<GRect> expected;
        for (int32 y = bounds.top; y < bounds.bottom; y += h)
            for (int32 x = bounds.left; x < bounds.right; x += w)
                expected.emplace_back(x, y, std::min(x + w, bounds.right), std::min(y + h, bounds.bottom));
        ASSERT_EQ(Walk(w, h, bounds), expected) << "round " << round;
        ASSERT_EQ(TileWalker(w, h, bounds).Count(), int32(expected.size()));
    }
}

}  // namespace
