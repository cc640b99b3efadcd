// From the terminal's bytes to keys: the sequences of common terminals, the
// terminal's own description, Alt+digit, the mouse wheel, bracketed paste and
// sequences split across reads.
#include "term/Keys.h"

#include <gtest/gtest.h>

namespace pellix::lab {

// A key as a failure message shows it: its name, its code as a character or
// a number, or the text it pasted.
void PrintTo(const Key& key, std::ostream* os) {
    static constexpr const char* kNames[] = {
        "Character", "F",    "Up",  "Down", "PageUp", "PageDown", "WheelUp",
        "WheelDown", "Home", "End", "Left", "Right",  "Paste",    "Ignored"};
    *os << kNames[static_cast<int>(key.name)];
    if (key.name == KeyName::Character) {
        if (key.code > 32 && key.code < 127)
            *os << " '" << static_cast<char>(key.code) << "'";
        else
            *os << " " << key.code;
    } else if (key.name == KeyName::Function) {
        *os << key.code;
    }
    if (key.name == KeyName::Paste) *os << " " << testing::PrintToString(key.text);
}

}  // namespace pellix::lab

namespace pellix::term {

namespace {

Key Char(int code) {
    return lab::Typed(static_cast<std::uint16_t>(code));
}
Key F(int number) {
    return lab::FunctionKey(number);
}
Key Named(KeyName name) {
    return {name};
}
Key Pasted(std::string_view text) {
    return lab::Pasted(std::string(text));
}

std::vector<Key> DecodeAll(KeyDecoder& decoder, std::string_view bytes) {
    std::vector<Key> keys = decoder.Feed(bytes);
    for (const Key& key : decoder.Flush()) keys.push_back(key);
    return keys;
}

TEST(KeyDecoder, KnowsTheCommonSequences) {
    struct Case {
        std::string bytes;
        std::vector<Key> keys;
    };
    const Case cases[] = {
        {"en\r\n", {Char('e'), Char('n'), Char(key::Enter), Char(key::LineFeed)}},
        {"\x7f\x08\x1a\x03\t",
         {Char(key::Delete), Char(key::Backspace), Char(key::CtrlZ), Char(key::CtrlC),
          Char(key::Tab)}},
        {"\xc3\xa9", {Char(0xc3), Char(0xa9)}},
        // F1 .. F10 as xterm, vt220 and rxvt send them, and the Linux console's F1 .. F5.
        {"\x1bOP\x1bOQ\x1bOR\x1bOS", {F(1), F(2), F(3), F(4)}},
        {"\x1b[11~\x1b[12~\x1b[13~\x1b[14~\x1b[15~", {F(1), F(2), F(3), F(4), F(5)}},
        {"\x1b[17~\x1b[18~\x1b[19~\x1b[20~\x1b[21~", {F(6), F(7), F(8), F(9), F(10)}},
        {"\x1b[[A\x1b[[E", {F(1), F(5)}},
        {"\x1b[1;2P\x1b[21;5~", {F(1), F(10)}},
        // Alt+1 .. Alt+0 (Escape, then the digit) stand in for F1 .. F10.
        {"\x1b"
         "1\x1b"
         "2\x1b"
         "0",
         {F(1), F(2), F(10)}},
        // Alt+digit as xterm sends it by default: the digit with the high bit
        // set, or that character in UTF-8 ("\u00B3" for Alt+3) ...
        {"\xb1\xb3\xb0", {F(1), F(3), F(10)}},
        {"\xc2\xb2\xc2\xb9\xc2\xb0", {F(2), F(9), F(10)}},
        // ... while other characters are typed byte by byte as before, the
        // same bytes inside them too ("\u00F3" is C3 B3).
        {"\xc3\xb3\xc2\xa9\xe2\x82\xac\xba",
         {Char(0xc3), Char(0xb3), Char(0xc2), Char(0xa9), Char(0xe2), Char(0x82), Char(0xac),
          Char(0xba)}},
        // A character broken off: its bytes stand for themselves.
        {"\xc2x\xe2\x82", {Char(0xc2), Char('x'), Char(0xe2), Char(0x82)}},
        {"\x1b[A\x1b[B\x1bOA\x1bOB\x1b[1;5A",
         {Named(KeyName::Up), Named(KeyName::Down), Named(KeyName::Up), Named(KeyName::Down),
          Named(KeyName::Up)}},
        {"\x1b[5~\x1b[6~", {Named(KeyName::PageUp), Named(KeyName::PageDown)}},
        // The wheel, in the extended and the old mouse reports; clicks are dropped.
        {"\x1b[<64;10;5M\x1b[<65;1;1M\x1b[<0;3;4M\x1b[<0;3;4m",
         {Named(KeyName::WheelUp), Named(KeyName::WheelDown), Key{}, Key{}}},
        {"\x1b[M`!!\x1b[Ma!!\x1b[M !!",
         {Named(KeyName::WheelUp), Named(KeyName::WheelDown), Key{}}},
        {"\x1bOM", {Char(key::Enter)}},
        {"\x1b[D\x1b[C\x1bOD\x1b[1;2C",
         {Named(KeyName::Left), Named(KeyName::Right), Named(KeyName::Left),
          Named(KeyName::Right)}},
        // Keys the console has no use for never reach it as text.
        {"\x1b[H\x1b[3~\x1b[24~x", {Key{}, Key{}, Key{}, Char('x')}},
        // Alt+letter and a lone Escape: the Escape key, then what follows.
        {"\x1bx", {Char(key::Escape), Char('x')}},
        {"\x1b", {Char(key::Escape)}},
        {"\x1b\x1b[21~", {Char(key::Escape), F(10)}},
        // Broken off: the part so far is dropped, the rest is typed.
        {"\x1b[2\x03", {Key{}, Char(key::CtrlC)}},
    };
    for (const Case& c : cases) {
        KeyDecoder decoder;
        EXPECT_EQ(DecodeAll(decoder, c.bytes), c.keys) << testing::PrintToString(c.bytes);
        EXPECT_FALSE(decoder.Waiting());
    }
}

TEST(KeyDecoder, TheTerminalsDescriptionComesFirst) {
    // vt100 describes F5 .. F10 as ESC O t .. ESC O x.
    KeyDecoder decoder({{"\x1bOt", F(5)}, {"\x1bOx", F(10)}, {"\x7f", F(9)}, {"\x1b[99z", F(7)}});
    EXPECT_EQ(DecodeAll(decoder, "\x1bOx\x1bOt\x1b[21~\x7f\x1b[99z"),
              (std::vector<Key>{F(10), F(5), F(10), Char(key::Delete), F(7)}));
}

TEST(KeyDecoder, WaitsForTheRestOfASplitSequence) {
    KeyDecoder decoder;
    EXPECT_TRUE(decoder.Feed("a\x1b").size() == 1);
    EXPECT_TRUE(decoder.Waiting());
    EXPECT_TRUE(decoder.Feed("[2").empty());
    EXPECT_TRUE(decoder.Waiting());
    EXPECT_EQ(decoder.Feed("1~b"), (std::vector<Key>{F(10), Char('b')}));
    EXPECT_FALSE(decoder.Waiting());
    // Nothing more came: the start stands for itself.
    EXPECT_TRUE(decoder.Feed("\x1b[").empty());
    EXPECT_EQ(decoder.Flush(), (std::vector<Key>{Char(key::Escape), Char('[')}));
}

TEST(KeyDecoder, AltDigitSplitAcrossReads) {
    KeyDecoder decoder;
    EXPECT_TRUE(decoder.Feed("\xc2").empty());
    EXPECT_TRUE(decoder.Waiting());
    EXPECT_FALSE(decoder.EscapeWaiting());
    EXPECT_EQ(decoder.Feed("\xb4"), std::vector<Key>{F(4)});
    EXPECT_FALSE(decoder.Waiting());
}

// A lone Escape waits a second for its digit, with a notice; the start of a
// longer sequence waits the short time. The clock is the one passed in.
TEST(KeyDecoder, EscapeThenDigitWaitsASecond) {
    using std::chrono::milliseconds;
    const Clock::time_point start{std::chrono::hours(1)};
    struct Case {
        std::string first;
        milliseconds later;  // when the next bytes or the check come
        std::string next;    // "" : nothing more comes
        std::vector<Key> keys;
        bool stillWaiting;
    };
    const Case cases[] = {
        {"\x1b", milliseconds(900), "3", {F(3)}, false},
        {"\x1b", milliseconds(999), "", {}, true},
        {"\x1b", milliseconds(1000), "", {Char(key::Escape)}, false},
        {"\x1b", milliseconds(1000), "3", {Char(key::Escape), Char('3')}, false},
        {"\x1b[", milliseconds(299), "", {}, true},
        {"\x1b[", milliseconds(300), "", {Char(key::Escape), Char('[')}, false},
        {"\xc2", milliseconds(300), "", {Char(0xc2)}, false},
    };
    for (const Case& c : cases) {
        KeyDecoder decoder;
        EXPECT_TRUE(decoder.Feed(c.first, start).empty());
        EXPECT_EQ(decoder.Notice(), c.first == "\x1b" ? kEscapeDigitNotice : "");
        const Clock::time_point at = start + c.later;
        std::vector<Key> keys = decoder.OnTime(at);
        for (const Key& key : decoder.Feed(c.next, at)) keys.push_back(key);
        EXPECT_EQ(keys, c.keys) << testing::PrintToString(c.first) << " " << c.later.count();
        EXPECT_EQ(decoder.Waiting(), c.stillWaiting) << testing::PrintToString(c.first);
        EXPECT_EQ(decoder.Notice().empty(), !c.stillWaiting || c.first != "\x1b");
    }
}

TEST(KeyDecoder, PasteIsOneTextAsItCame) {
    struct Case {
        std::string bytes;
        std::vector<Key> keys;
    };
    const Case cases[] = {
        // Line ends are left as they came: the lab console types each as Enter.
        {"\x1b[200~a\nb\r\nc\r\n\n\x1b[201~", {Pasted("a\nb\r\nc\r\n\n")}},
        {"\x1b[200~a\rb\rc\r\r\x1b[201~", {Pasted("a\rb\rc\r\r")}},
        // Function keys, Escape and Ctrl-C inside a paste are pasted text.
        {"\x1b[200~\x1b[21~\x03\x1b[201~x", {Pasted("\x1b[21~\x03"), Char('x')}},
        // A stray end marker is dropped; an empty paste is nothing.
        {"\x1b[201~y", {Key{}, Char('y')}},
        {"\x1b[200~\x1b[201~z", {Char('z')}},
        // An end marker that never comes: what arrived is pasted.
        {"\x1b[200~cut sho", {Pasted("cut sho")}},
    };
    for (const Case& c : cases) {
        KeyDecoder decoder;
        EXPECT_EQ(DecodeAll(decoder, c.bytes), c.keys) << testing::PrintToString(c.bytes);
    }
    // Markers and line ends split across reads.
    KeyDecoder decoder;
    std::vector<Key> keys;
    for (std::string_view part : {"\x1b[2", "00~a\r", "\nb\x1b[20", "1~", "c"})
        for (const Key& key : decoder.Feed(part)) keys.push_back(key);
    EXPECT_EQ(keys, (std::vector<Key>{Pasted("a\r\nb"), Char('c')}));
}

}  // namespace
}  // namespace pellix::term
