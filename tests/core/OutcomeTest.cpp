// Tests of what operations return: the words of their messages and how outcomes combine, and the
// font request's description for the engine.
#include "core/FontRequest.h"
#include "core/Outcome.h"
#include "resources/converter/ConverterStrings.h"

#include <gtest/gtest.h>

#include <cstring>

TEST(Outcome, MessagesReadAsTheUserSeesThem) {
    const struct {
        OutcomeMessage message;
        std::string text;
    } cases[] = {
        {ConverterMessage(converter::kStrUnknownFontError), "Unknown font error"},
        {ConverterMessage(converter::kStrSaveChanges, {"Fonts"}), "Save changes to Fonts?"},
        {TextMessage("keep.pdb was not saved: out of memory.", "/tmp/keep.pdb", "out of memory"),
         "keep.pdb was not saved: out of memory."},
    };
    for (const auto& c : cases) EXPECT_EQ(c.message.Text(), c.text);
}

TEST(Outcome, DoneStoppedAndRefusedCombine) {
    EXPECT_TRUE(Outcome::Done());
    EXPECT_FALSE(Outcome::Done().HasMessages());
    EXPECT_FALSE(Outcome::Stopped());
    EXPECT_FALSE(Outcome::Stopped().HasMessages());

    const Outcome refused = Outcome::Refused("full", "f.pdb", "65,535 records").Then(ConverterMessage(converter::kStrUnknownFontError));
    EXPECT_FALSE(refused);
    ASSERT_EQ(refused.Messages().size(), 2u);
    EXPECT_EQ(refused.Messages()[0].file, "f.pdb");
    EXPECT_EQ(refused.Messages()[0].cause, "65,535 records");
    EXPECT_EQ(refused.Messages()[1].Text(), "Unknown font error");

    // A step that failed inside a command that still succeeded keeps its messages.
    const Outcome kept = Outcome::DoneWith(refused);
    EXPECT_TRUE(kept);
    EXPECT_EQ(kept.Messages().size(), 2u);

    Outcome gathered = Outcome::Done();
    gathered.Append(Outcome::Done());
    EXPECT_TRUE(gathered);
    gathered.Append(refused).Append(Outcome::Refused("again"));
    EXPECT_FALSE(gathered);
    EXPECT_EQ(gathered.Messages().size(), 3u);
    EXPECT_EQ(gathered.Messages()[2].Text(), "again");
}

TEST(FontRequest, DescribesTheFaceAtACharacterHeight) {
    const FontRequest request{"DejaVu Sans", 204, 0x22, 12, 700, true};
    const gdi::LOGFONT lf = request.DescriptionAt(24);
    EXPECT_EQ(lf.lfHeight, -24);
    EXPECT_EQ(lf.lfWeight, 700);
    EXPECT_EQ(lf.lfItalic, 1);
    EXPECT_EQ(lf.lfCharSet, 204);
    EXPECT_EQ(lf.lfPitchAndFamily, 0x22);
    EXPECT_EQ(lf.lfOutPrecision, gdi::OUT_TT_PRECIS);
    EXPECT_EQ(lf.lfWidth, 0);
    EXPECT_STREQ(lf.lfFaceName, "DejaVu Sans");
    EXPECT_TRUE(request.Bold());
    EXPECT_FALSE((FontRequest{"A", 0, 0, 9, 400}.Bold()));

    // Face names longer than a description holds are cut, in the record's name too.
    const FontRequest longName{std::string(40, 'x'), 0, 0, 9};
    EXPECT_EQ(longName.FaceName(), std::string(31, 'x'));
    EXPECT_EQ(std::strlen(longName.DescriptionAt(9).lfFaceName), 31u);
}
