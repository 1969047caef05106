#include <gtest/gtest.h>

#include <sstream>

#include "skin/data/sConst.h"
#include "skin/images/kvPNGWrite.h"
#include "tests/skin/data/SkinFixture.h"
#include "tools/kvskin/kvskinTool.h"

namespace {

struct TRun {
  int Status;
  std::string Out, Err;
};

TRun Tool(std::vector<std::string> Args) {
  std::ostringstream Out, Err;
  int Status = KvSkinMain(Args, Out, Err);
  return {Status, Out.str(), Err.str()};
}

// Options with every section the engine looks up, and a few image regions.
std::string CompleteOptions() {
  std::string S = "[GLOBALINFO]\nVERSION=8.00\nMASTERBITMAP=MASTER.BMP\n"
                  "BOXCHECKED=@0051@0000@0102@0016@3@0\n";
  for (const std::string& Name : EngineSectionNames) {
    if (Name == "GLOBALINFO") continue;
    S += "[" + Name + "]\nCOLOR=16766918\n";
    if (Name == "BUTTON_HUGE") S += "BORDERSMASK=!BUTTONHUGE.BMP!3!1!0!0032!0032!0032!0032!0\n";
    if (Name == "EDIT") S += "BORDERSMASK=^0000^0140^0045^0185^0000^0000^0000^0000^1^0^1^2\n";
  }
  return S;
}

void WriteSkin(const TTempDir& Dir, const std::string& Options) {
  Dir.Write("Options.dat", Bytes(Options));
  Dir.Write("Master.bmp", MasterBmp());
  Dir.Write("ButtonHuge.bmp", Bmp24(96, 64, [](int, int) { return clWhite; }));
  Dir.Write("readme.txt", Bytes("not an image"));
}

bool Contains(const std::string& S, const std::string& Part) {
  return S.find(Part) != std::string::npos;
}

} // namespace

TEST(kvskin, PackListUnpackRoundTrip) {
  TTempDir Src, Out;
  WriteSkin(Src, CompleteOptions());
  std::string Kvz = Out.Str() + "skin.kvz";
  TRun Pack = Tool({"pack", Src.Str(), Kvz});
  ASSERT_EQ(Pack.Status, 0) << Pack.Err;
  EXPECT_TRUE(Contains(Pack.Err, "skipping readme.txt"));

  TRun List = Tool({"list", Kvz});
  ASSERT_EQ(List.Status, 0) << List.Err;
  // Options first, then the images in name order.
  size_t Options = List.Out.find("Options.dat"), Button = List.Out.find("ButtonHuge.bmp"),
         Master = List.Out.find("Master.bmp");
  EXPECT_LT(Options, Button);
  EXPECT_LT(Button, Master);
  EXPECT_TRUE(Contains(List.Out, "3 members"));

  std::string Dest = Out.Str() + "unpacked";
  TRun Unpack = Tool({"unpack", Kvz, Dest});
  ASSERT_EQ(Unpack.Status, 0) << Unpack.Err;
  for (const char* Name : {"Options.dat", "Master.bmp", "ButtonHuge.bmp"})
    EXPECT_EQ(ReadWholeFile(Dest + "/" + Name), ReadWholeFile(Src.Str() + Name)) << Name;

  TRun CheckFolder = Tool({"check", Src.Str()});
  EXPECT_EQ(CheckFolder.Status, 0) << CheckFolder.Out << CheckFolder.Err;
  EXPECT_TRUE(Contains(CheckFolder.Out, "no problems"));
  TRun CheckPacked = Tool({"check", Kvz});
  EXPECT_EQ(CheckPacked.Status, 0) << CheckPacked.Out << CheckPacked.Err;
  EXPECT_TRUE(
      Contains(CheckPacked.Out, "[BUTTON_HUGE] BORDERSMASK: border (0, 0, 96, 64) own image"));
  EXPECT_TRUE(Contains(CheckPacked.Out, "[GLOBALINFO] BOXCHECKED: glyph (51, 0, 102, 16) master"));
}

TEST(kvskin, CheckReadsPngImages) {
  TTempDir Src;
  WriteSkin(Src, CompleteOptions() + "[PNGGLYPH]\nGLYPHMASK=!GLYPH.PNG!2!0\n");
  TBitmap32 Glyph(20, 10);
  Glyph.Fill(0xFF102030);
  Src.Write("Glyph.png", EncodePNG(Glyph));
  TRun R = Tool({"check", Src.Str()});
  EXPECT_TRUE(Contains(R.Out, "[PNGGLYPH] GLYPHMASK: border (0, 0, 20, 10) own image, 2 frames"))
      << R.Out;
  EXPECT_FALSE(Contains(R.Out, "does not read")) << R.Out;
}

TEST(kvskin, CheckReportsEveryProblem) {
  TTempDir Src;
  WriteSkin(Src, "[GLOBALINFO]\nVERSION=8.00\nMASTERBITMAP=MASTER.BMP\n"
                 "BOXCHECKED=@0190@0000@0250@0016@3@0\n"
                 "[FORM]\nCOLOR=blue\nBORDERSMASK=something\nPATTERN=!GONE.BMP!1!0\n"
                 "GLYPHMASK=@0051@0000@01\n"
                 "[A]\nPARENTCLASS=B\n[B]\nPARENTCLASS=A\n[C]\nPARENTCLASS=NOWHERE\n");
  TRun R = Tool({"check", Src.Str()});
  EXPECT_EQ(R.Status, 1);
  for (const char* Part :
       {"key BOXCHECKED: region (190, 0, 250, 16) lies outside the master bitmap (200 x 200)",
        "key COLOR: 'blue' is not a number", "key BORDERSMASK: 'something' is in no known",
        "key PATTERN: image GONE.BMP is missing", "key GLYPHMASK: \"@0051@0000@01\" is shorter",
        "A -> B -> A is a cycle", "PARENTCLASS NOWHERE does not exist",
        "Section [EDIT] is missing"})
    EXPECT_TRUE(Contains(R.Out, Part)) << Part << "\n" << R.Out;
}

TEST(kvskin, FailuresAndUsage) {
  TTempDir Dir;
  Dir.Write("bad.kvz", Bytes("kvpk...."));
  TRun Bad = Tool({"check", Dir.Str() + "bad.kvz"});
  EXPECT_EQ(Bad.Status, 1);
  EXPECT_TRUE(Contains(Bad.Err, "Loaded data is not a packed Tessera file"));

  Dir.Write("empty.kvz", PackSkinMembers({{"Master.bmp", MasterBmp(4, 4)}}));
  TRun NoOptions = Tool({"check", Dir.Str() + "empty.kvz"});
  EXPECT_EQ(NoOptions.Status, 1);
  EXPECT_TRUE(Contains(NoOptions.Err, "Packed skin has no Options.dat"));

  Dir.Write("evil.kvz", PackSkinMembers({{"Options.dat", Bytes("[A]\n")}, {"../evil.bmp", {}}}));
  TRun Evil = Tool({"unpack", Dir.Str() + "evil.kvz", Dir.Str() + "out"});
  EXPECT_EQ(Evil.Status, 1);
  EXPECT_FALSE(std::filesystem::exists(Dir.Path() / "evil.bmp"));

  EXPECT_EQ(Tool({}).Status, 2);
  EXPECT_EQ(Tool({"frobnicate"}).Status, 2);
  EXPECT_EQ(Tool({"pack", "only-one"}).Status, 2);
  TRun Help = Tool({"help"});
  EXPECT_EQ(Help.Status, 0);
  EXPECT_LT(Help.Out.find("check SKIN"), Help.Out.find("list IN.kvz"));
  EXPECT_EQ(Tool({"list", Dir.Str() + "missing.kvz"}).Status, 1);
}
