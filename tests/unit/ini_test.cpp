#include <gtest/gtest.h>

#include "framework/core/IniFile.h"

using tsb::IniDocument;

TEST(IniDialect, SectionsKeysAndLineEnds) {
    IniDocument ini("junk=1\r\n[options]\r\ntitle=Hello\n;comment\n\rsub-title=World\r[Other]\nx=2");
    EXPECT_TRUE(ini.SectionExists("OPTIONS"));
    EXPECT_EQ(ini.ReadString("options", "title", "?"), "Hello");
    EXPECT_EQ(ini.ReadString("options", "sub-title", "?"), "World");
    EXPECT_EQ(ini.ReadString("other", "x", "?"), "2");
    EXPECT_EQ(ini.ReadString("options", "junk", "?"), "?");  // before the first section: dropped
    EXPECT_EQ(ini.ReadString("options", ";comment", "?"), "?");
}

TEST(IniDialect, KeyMatchingIsExactButForLetterCase) {
    IniDocument ini("[options]\n title=spaced\nTITLE=Upper\ntitle=second\nlogo\nempty=\n");
    EXPECT_EQ(ini.ReadString("options", "title", "?"), "Upper");   // first match; " title" is another key
    EXPECT_EQ(ini.ReadString("options", " title", "?"), "spaced");
    EXPECT_EQ(ini.ReadString("options", "logo", "?"), "?");        // a line without "=" names no key
    EXPECT_EQ(ini.ReadString("options", "empty", "?"), "");
    IniDocument eq("[s]\na=b=c\n");
    EXPECT_EQ(eq.ReadString("s", "a", "?"), "b=c");  // the value runs to the end of the line
}

TEST(IniDialect, SectionHeaderNeedsBracketsAtBothEnds) {
    IniDocument ini("[options] \nkey=1\n[ options]\nkey=2\n");
    EXPECT_FALSE(ini.SectionExists("options"));
    EXPECT_TRUE(ini.SectionExists(" options"));
}

TEST(IniDialect, WriteReplacesFirstMatchOrAppends) {
    IniDocument ini("[options]\nTitle=old\ntitle=older\n");
    ini.WriteString("options", "title", "new");
    ini.WriteString("options", "logo", "a.bmp");
    ini.WriteString("extra", "k", "v");
    EXPECT_EQ(ini.Serialize(), "[options]\r\ntitle=new\r\ntitle=older\r\nlogo=a.bmp\r\n\r\n[extra]\r\nk=v\r\n\r\n");
}

TEST(IniDialect, RewriteDropsCommentsBlankLinesAndPreamble) {
    IniDocument ini("preamble\n\n[options]\n; a comment\n\ntitle=T\n\n\n");
    EXPECT_EQ(ini.Serialize(), "[options]\r\ntitle=T\r\n\r\n");
    IniDocument again(ini.Serialize());
    EXPECT_EQ(again.Serialize(), ini.Serialize());  // normal form is stable
}

TEST(IniDialect, GarbageBinaryAndHugeInputNeverBreakIt) {
    std::string binary("[options]\ntitle=a\0b\x01\xff\n\xfe\xfe=\x80\n", 28);
    IniDocument ini(binary);
    EXPECT_EQ(ini.ReadString("options", "title", "?"), std::string("a\0b\x01\xff", 5));
    std::string huge = "[options]\ntitle=" + std::string(1 << 20, 'x') + "\n";
    for (int i = 0; i < 5000; ++i) huge += "key" + std::to_string(i) + "=" + std::to_string(i) + "\n";
    IniDocument big(huge);
    EXPECT_EQ(big.ReadString("options", "title", "").size(), 1u << 20);
    EXPECT_EQ(big.ReadInteger("options", "key4999", -1), 4999);
    EXPECT_FALSE(IniDocument("no sections at all\n=\n[\n]\n").SectionExists(""));
}

TEST(IniValues, IntegersAndBooleansFallBack) {
    IniDocument ini("[o]\na=12\nb=$1F\nc=0x10\nd=0x\ne=yes\nf=2\ng=0\nh=-7\ni=99999999999\nj=\n");
    EXPECT_EQ(ini.ReadInteger("o", "a", 5), 12);
    EXPECT_EQ(ini.ReadInteger("o", "b", 5), 31);
    EXPECT_EQ(ini.ReadInteger("o", "c", 5), 16);
    EXPECT_EQ(ini.ReadInteger("o", "d", 5), 5);
    EXPECT_EQ(ini.ReadInteger("o", "h", 5), -7);
    EXPECT_EQ(ini.ReadInteger("o", "i", 5), 5);
    EXPECT_EQ(ini.ReadInteger("o", "j", 5), 5);
    EXPECT_FALSE(ini.ReadBool("o", "e", false));  // words don't parse: the default
    EXPECT_TRUE(ini.ReadBool("o", "e", true));
    EXPECT_TRUE(ini.ReadBool("o", "f", false));
    EXPECT_FALSE(ini.ReadBool("o", "g", true));
    EXPECT_TRUE(ini.ReadBool("o", "missing", true));
}
