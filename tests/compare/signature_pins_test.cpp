// SPDX-License-Identifier: MIT
// Pins every stored hash, weight, count and comparison result of a few small
// pairs, so that a change to how records are kept can show it changed none of
// them. Each element is pinned as name=state:digest, the digest covering all
// its loaded and prepared fields. nameIds depend on the order names were
// interned, so this program holds one test and the cases run in a fixed order.

#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>

#include "compare_fixture.h"
#include "model/name_table.h"

namespace quillon::test {
namespace {

struct Digest {
    std::uint64_t h = 14695981039346656037ull;  // FNV-1a
    void bytes(const void* p, std::size_t n) {
        for (std::size_t i = 0; i < n; ++i) h = (h ^ static_cast<const unsigned char*>(p)[i]) * 1099511628211ull;
    }
    template <class T>
    void add(const T& v) {
        bytes(&v, sizeof v);
    }
    void add(std::u16string_view s) { bytes(s.data(), s.size() * sizeof(char16_t)); }
};

std::string Pin(const ElementRecord& r) {
    Digest d;
    d.add(r.name()->nameId);
    const SubtreeDigest& b = r.subtree();
    for (std::uint32_t v : {PathHashOf(r), b.textSum, b.nameSum, b.attrSum, b.textProduct, b.attrProduct, r.line,
                            ChildCountOf(r), b.descendantCount, r.distinctChildNameCount(), b.keySum, r.textLength(),
                            r.attributesLength()})
        d.add(v);
    const ModeHashes h = AllModeHashes(r);
    d.add(h.attr);
    d.add(h.text);
    d.add(h.attr16);
    d.add(h.text16);
    for (std::uint16_t v : {r.textWeight, r.attrWeight, b.textWeight, b.attrWeight, r.column}) d.add(v);
    for (std::uint8_t v : {r.ignoreState, r.diffFlags, r.ruleFlags}) d.add(v);
    for (std::uint32_t k = 0; k < r.distinctChildNameCount(); ++k) {
        d.add(r.childNameIds()[k]);
        d.add(r.childNameCounts()[k]);
    }
    d.add(std::u16string_view(r.textUtf16()));
    d.add(std::u16string_view(r.attributesUtf16()));
    char hex[12];
    std::snprintf(hex, sizeof hex, "%08x", unsigned(d.h ^ (d.h >> 32)));
    return ToUtf8(r.name()->view()) + "=" + std::to_string(CompareState(r)) + ":" + hex;
}

std::string Pins(const DocumentPane& pane) {
    std::string out;
    const ElementRecord* end = EndOfDocumentRecord(pane);
    for (const ElementRecord* r = RootRecord(pane); r && r != end; r = NextInDocumentOrder(r)) out += Pin(*r) + " ";
    return out + "end:" + std::to_string(end->descendantCount());
}

struct PinCase {
    const char* what;
    std::function<void(Options&)> options;
    const char* left;
    const char* right;
    const char* counters;  // EqualPairs ChangedPairs IgnoredElements OwnChangedPairs
    const char* leftPins;
    const char* rightPins;
};

class SignaturePins : public CompareTest {};

TEST_F(SignaturePins, StoredHashesAndResultsOfSmallPairs) {
    const PinCase cases[] = {
        {"defaults", [](Options&) {},
         "<catalog><book id='b1' lang='en'><title>Red  Fox</title><price cur='EUR'>12.50</price>"
         "<tags><t>a</t><t>b</t></tags>tail</book><book id='b2'><title>blue</title>x<br/>y</book></catalog>",
         "<catalog><book id='b2'><title>blue</title>x<br/>y</book><book lang='en' id='b1'><title>Red Fox</title>"
         "<price cur='EUR'>12.5</price><tags><t>b</t><t>a</t><t>c</t></tags>tail</book></catalog>",
         "5 5 0 2",
         "catalog=1:24bbadb7 book=1:a3c7ccbe title=1:3b7bbac6 price=1:7cd7169d tags=1:caabcbae t=0:23fc8fd3 "
         "t=0:b85c6252 book=0:37f934f0 title=0:f89e08e9 br=0:d0fc19b5 end:9",
         "catalog=1:11a5f1bc book=0:ed1b3e59 title=0:1f613354 br=0:9fc0cb15 book=1:78aba962 title=1:9f70142f "
         "price=1:fd6aa951 tags=1:6930e516 t=0:f9b6f160 t=0:de8e8048 t=2:f48973cf end:10"},
        {"normalised dates and numbers",
         [](Options& o) {
             o.NormalizeNumber = 1;
             SetDateCode(o, 1);
         },
         "<r><d when='2003-01-02'>2003-01-02T10:30</d><n>1,500.0</n><m>1,500</m><p at='1/2/2003'>7<s/>8</p></r>",
         "<r><d when='1/2/2003'>1/2/2003 10:30 AM</d><n>1500</n><m>1.5</m><p at='2008-08-11'>8<s/>7</p></r>", "4 2 0 1",
         "r=1:57c7be46 d=0:6c630d74 n=0:d3d37b6e m=0:df8dd5c4 p=1:433d82f5 s=0:b240c05b end:5",
         "r=1:aca1e30f d=0:0caa27e7 n=0:5794c5fb m=0:4cde6b5e p=1:63ca54f5 s=0:8d4fe5cd end:5"},
        {"case and blanks ignored, order kept, full level",
         [](Options& o) {
             o.FlagComparsion = 3;
             o.IgnoreOrderElements = 0;
             o.CompareLevel = 3;
             ApplyCompareLevel(o);
         },
         "<list><i k='A b'>One Two</i><i>three</i><i><j>x</j></i></list>",
         "<list><i k='ab'>onetwo</i><i>THREE</i><i><j>y</j><j>x</j></i></list>", "2 3 0 1",
         "list=1:3f2c191b i=0:7ae18d3d i=0:d75d0841 i=1:268cfa95 j=1:5a519faa end:4",
         "list=1:5214e24e i=0:ff3323c9 i=0:c106a3c9 i=1:d14fa626 j=1:fa019449 j=2:a80d5b0c end:5"},
        {"namespaces and name case ignored",
         [](Options& o) {
             o.IgnoreNamespaces = 1;
             o.XMLElementCaseSensitive = 0;
             o.XMLAttributeCaseSensitive = 0;
         },
         "<a:Feed xmlns:a='urn:a'><a:Entry a:ID='1'>t</a:Entry><Entry id='2'>u</Entry></a:Feed>",
         "<b:feed xmlns:b='urn:b'><b:entry b:id='2'>u</b:entry><b:ENTRY Id='1'>T</b:ENTRY></b:feed>", "1 2 0 2",
         "Feed=1:bb1465e4 Entry=1:27d7622b Entry=0:204de1a3 end:2",
         "feed=1:8ce41e60 entry=0:e9bf6e60 ENTRY=1:a5c0f8a4 end:2"},
    };
    for (const PinCase& c : cases) {
        SCOPED_TRACE(c.what);
        ResetOptions(options(), false);
        c.options(options());
        Compare(c.left, c.right);
        const CompareCounters& n = counters();
        const std::string got = std::to_string(n.EqualPairs) + " " + std::to_string(n.ChangedPairs) + " " +
                                std::to_string(n.IgnoredElements) + " " + std::to_string(n.OwnChangedPairs);
        EXPECT_EQ(got, c.counters);
        EXPECT_EQ(Pins(left), c.leftPins);
        EXPECT_EQ(Pins(right), c.rightPins);

        // Loaded under every other comparison mode, the documents compare
        // just the same once the mode is back: each record's hashes are
        // folded again, or were kept, for the mode in force.
        const std::uint32_t mode = options().FlagComparsion;
        for (std::uint32_t loadedIn = 0; loadedIn < 4; ++loadedIn) {
            if (loadedIn == mode) continue;
            SCOPED_TRACE("loaded in mode " + std::to_string(loadedIn));
            options().FlagComparsion = loadedIn;
            Load(c.left, c.right);
            options().FlagComparsion = mode;
            Compare();
            EXPECT_EQ(Pins(left), c.leftPins);
            EXPECT_EQ(Pins(right), c.rightPins);
            for (const DocumentPane* pane : {&left, &right}) {
                const ElementRecord* end = EndOfDocumentRecord(*pane);
                for (const ElementRecord* r = RootRecord(*pane); r && r != end; r = NextInDocumentOrder(r)) {
                    const ModeHashes h = AllModeHashes(*r);
                    EXPECT_EQ(r->attrHash, h.attr[mode]);
                    EXPECT_EQ(r->textHash, h.text[mode]);
                    EXPECT_EQ(r->attrHash16, h.attr16[mode]);
                    EXPECT_EQ(r->textHash16, h.text16[mode]);
                }
            }
        }
    }
}

}  // namespace
}  // namespace quillon::test
