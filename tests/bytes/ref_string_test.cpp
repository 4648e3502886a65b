#include "search/ref_string.h"

#include <gtest/gtest.h>

#include "search/attachment_record.h"

TEST(RefString, MakeAssignAndRelease) {
    RefString empty = MakeRefString("");
    ASSERT_NE(empty.node, nullptr);
    EXPECT_STREQ(empty.node->text, "");
    EXPECT_EQ(empty.node->refCount, 1);
    EXPECT_EQ(MakeRefString(nullptr).node, nullptr);

    RefString a = MakeRefString("abc");
    RefStringNode* node = a.node;
    AssignText(&a, a.node->text);  // its own text: nothing changes
    EXPECT_EQ(a.node, node);
    EXPECT_EQ(a.node->refCount, 1);
    char other[] = "abc";
    AssignText(&a, other);  // equal text elsewhere: a new node
    EXPECT_NE(a.node, nullptr);
    EXPECT_STREQ(a.node->text, "abc");
    AssignText(&a, nullptr);
    EXPECT_EQ(a.node, nullptr);
    ReleaseRefString(&a);  // absent: nothing to do
    ReleaseRefString(&empty);
}

TEST(RefString, SharingCountsAndEqualTexts) {
    RefString a = MakeRefString("same");
    RefString b = MakeRefString("same");
    RefStringNode* aNode = a.node;
    AssignShared(&b, &a);  // equal texts in different nodes: both stay
    EXPECT_NE(b.node, aNode);
    EXPECT_EQ(a.node->refCount, 1);
    EXPECT_EQ(b.node->refCount, 1);

    RefString c = MakeRefString("other");
    AssignShared(&c, &a);
    EXPECT_EQ(c.node, aNode);
    EXPECT_EQ(aNode->refCount, 2);
    ReleaseRefString(&c);
    EXPECT_EQ(aNode->refCount, 1);

    RefString absent = {nullptr};
    AssignShared(&b, &absent);  // absent source: the target lets go
    EXPECT_EQ(b.node, nullptr);
    AssignShared(&absent, &a);
    EXPECT_EQ(absent.node, aNode);
    EXPECT_EQ(aNode->refCount, 2);
    ReleaseRefString(&absent);
    ReleaseRefString(&a);
}

// A different text or node replaces the old one, whichever of the two lies
// first in memory and whichever text sorts first: each pair of steps below
// swaps the roles of the same two nodes.
TEST(RefString, DifferentValuesReplaceTheOldOnes) {
    const int32_t liveBefore = g_liveRefStringNodes;
    RefString a = MakeRefString("abc"), x = MakeRefString("xyz");
    RefString aKept = {nullptr}, xKept = {nullptr};
    AssignShared(&aKept, &a);
    AssignShared(&xKept, &x);
    AssignText(&a, x.node->text);
    AssignText(&x, aKept.node->text);
    EXPECT_STREQ(a.node->text, "xyz");
    EXPECT_STREQ(x.node->text, "abc");
    EXPECT_EQ(aKept.node->refCount, 1);  // copies, not shared
    EXPECT_EQ(xKept.node->refCount, 1);
    for (RefString* handle : {&a, &x, &aKept, &xKept}) ReleaseRefString(handle);

    RefString low = MakeRefString("aaa"), high = MakeRefString("zzz");
    RefString lowKept = {nullptr}, highKept = {nullptr};
    AssignShared(&lowKept, &low);
    AssignShared(&highKept, &high);
    AssignShared(&low, &high);      // "aaa" takes "zzz", which sorts after it
    AssignShared(&high, &lowKept);  // "zzz" takes "aaa", which sorts before it
    EXPECT_EQ(low.node, highKept.node);
    EXPECT_EQ(high.node, lowKept.node);
    EXPECT_EQ(highKept.node->refCount, 2);
    EXPECT_EQ(lowKept.node->refCount, 2);
    for (RefString* handle : {&low, &high, &lowKept, &highKept}) ReleaseRefString(handle);
    EXPECT_EQ(g_liveRefStringNodes, liveBefore);  // every node made was freed
}

TEST(RefString, CompareTextIsUnsignedByteOrder) {
    struct {
        const char* a;
        const char* b;
        int expected;
    } cases[] = {{"abc", "abd", -1}, {"abc", "ab", 1},     {"", "", 0},
                 {"Z", "a", -1},     {"\x82\xa0", "z", 1}, {"ab", "ab", 0}};
    for (const auto& c : cases) {
        RefString a = MakeRefString(c.a);
        RefString b = MakeRefString(c.b);
        EXPECT_EQ(CompareText(&a, &b), c.expected) << c.a << " vs " << c.b;
        EXPECT_EQ(CompareText(&b, &a), -c.expected);
        ReleaseRefString(&a);
        ReleaseRefString(&b);
    }
}

TEST(RefString, HasPrefixIsExact) {
    EXPECT_TRUE(HasPrefix("Content-Type: x", "Content-"));
    EXPECT_FALSE(HasPrefix("type: x", "Type:"));
    EXPECT_TRUE(HasPrefix("anything", ""));
    EXPECT_TRUE(HasPrefix("", ""));
    EXPECT_FALSE(HasPrefix("Con", "Content-"));
    EXPECT_FALSE(HasPrefix("\x82\xA0", "\x82\xA1"));  // high bytes compare like any other
    EXPECT_FALSE(HasPrefix("", "\x82"));
    EXPECT_FALSE(HasPrefix(nullptr, "a"));
    EXPECT_FALSE(HasPrefix("a", nullptr));
}

TEST(AttachmentRecord, DestroyReleasesSharedNodesOnce) {
    RefString id = MakeRefString("Inbox\\1.eml");
    AttachmentRecord* first = NewAttachmentRecord();
    AttachmentRecord* second = NewAttachmentRecord();
    AssignShared(&first->messageId, &id);
    AssignShared(&second->messageId, &id);
    AssignText(&first->fileName, "a.pdf");
    EXPECT_EQ(id.node->refCount, 3);
    DeleteAttachmentRecord(first);
    EXPECT_EQ(id.node->refCount, 2);
    DeleteAttachmentRecord(second);
    EXPECT_EQ(id.node->refCount, 1);
    ReleaseRefString(&id);
}
