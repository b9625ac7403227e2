// The picture guides' step mechanism, which reads the step back from the step
// label's caption: any caption, and any sequence of clicks on "Next>>" and
// "<<Prview", of flash waits ending and of captions set from outside, gives
// a step whose page is looked up within the guide.
//
// Input: the guide, then operations: the low two bits of a byte say what (0
// "Next>>", 1 "<<Prview", 2 a flash wait ends, 3 a caption of the next n
// characters, n its upper six bits).

#include "fuzz/fuzzcheck.h"
#include "fuzz/fuzztext.h"

#include "guides/guidestep.h"

using namespace Guides;

namespace {

constexpr GuideId kGuides[] = {GuideId::Wizard, GuideId::Terminalwizard, GuideId::Terminalwizard1};

// The step a caption gives: its last character's digit, 0 for anything else.
void checkStep(const QString &caption)
{
    const int step = stepFromLabel(caption);
    FUZZ_CHECK(step >= 0 && step <= 9);
    const bool digit = !caption.isEmpty() && caption.back() >= u'0' && caption.back() <= u'9';
    FUZZ_CHECK(step == (digit ? caption.back().unicode() - u'0' : 0));
    FUZZ_CHECK(stepFromLabel(stepLabel(step)) == step);
    for (const GuideId id : kGuides) {
        const GuideTable &t = guide(id);
        const GuidePage *page = pageOf(t, step);
        FUZZ_CHECK((page != nullptr) == (step >= 1 && step <= t.lastStep()));
        FUZZ_CHECK(!page || page == &t.pages.at(step - 1));
    }
}

// What a click or the end of a wait leaves: the window's lists keep their
// sizes, a picture shown is one of the guide's, the step label names a step.
void checkState(const GuideTable &t, const GuideState &s)
{
    FUZZ_CHECK(s.pictureVisible.size() == t.pictures.size());
    FUZZ_CHECK(s.lineVisible.size() == t.lines.size());
    FUZZ_CHECK(s.pictureVisible.count(true) <= 1);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    const QByteArrayView input(data, qsizetype(size));
    checkStep(Fuzz::textOf(input));
    checkStep(QString::fromUtf8(input));

    const GuideTable &t = guide(kGuides[data[0] % 3]);
    GuideState s = openingState(t);
    checkState(t, s);
    for (qsizetype i = 1; i < input.size(); ++i) {
        const auto op = static_cast<unsigned char>(input[i]);
        switch (op % 4) {
        case 0:
        case 1: {
            const int delta = op % 4 == 0 ? +1 : -1;
            const int step = stepFromLabel(s.stepLabel) + delta;
            const GuideState after = applyGuideStep(t, s, delta);
            FUZZ_CHECK(after.stepLabel == stepLabel(step));
            const GuidePage *page = pageOf(t, step);
            // Outside the guide only the step label changes.
            FUZZ_CHECK(page ? after.text == page->text
                            : after.text == s.text && after.pictureVisible == s.pictureVisible
                                  && after.lineVisible == s.lineVisible);
            s = after;
            break;
        }
        case 2:
            s = finishFlash(t, s);
            break;
        case 3: {
            // A caption from elsewhere: the rest of this byte's run.
            const qsizetype n = std::min<qsizetype>(op >> 2, input.size() - i - 1);
            s.stepLabel = Fuzz::textOf(input.sliced(i + 1, n));
            checkStep(s.stepLabel);
            i += n;
            break;
        }
        }
        checkState(t, s);
    }
    return 0;
}
