#include <gtest/gtest.h>

#include <string>

#include "tests/uifw/SkinTestSupport.h"
#include "uifw/ImageCache.h"
#include "uifw/SkinPackage.h"

using skin_test::Package;

// Tests that the embedded package opens and holds the 106 members of the skin.
TEST(SkinPackageTest, EmbeddedPackageHoldsEveryMember) {
  ASSERT_TRUE(Package().IsOpen());
  EXPECT_EQ(Package().MemberCount(), 106u);
  for (const wchar_t* name :
       {L"mainWnd.xml", L"MessageBox1Wnd.xml", L"MessageBox2Wnd.xml", L"InstalledPathTipWnd.xml", L"NetworkTipWnd.xml",
        L"exitTipWnd.xml", L"project.skin", L"res/mainWnd/installBtnAnimate/bat.bat"}) {
    const std::string* bytes = Package().Find(name);
    ASSERT_NE(bytes, nullptr) << name;
    EXPECT_FALSE(bytes->empty()) << name;
  }
}

// Tests the member lookup rule: backslashes count as slashes, case is ignored, the length
// must match exactly.
TEST(SkinPackageTest, LookupRule) {
  ASSERT_TRUE(Package().IsOpen());
  const std::string* main = Package().Find(L"mainWnd.xml");
  const std::string* bg = Package().Find(L"res/mainWnd/bg1.png");
  ASSERT_NE(main, nullptr);
  ASSERT_NE(bg, nullptr);
  struct Case {
    const wchar_t* request;
    const std::string* expected;
  } cases[] = {
      {L"MainWnd.xml", main},
      {L"MAINWND.XML", main},
      {L"res\\mainWnd\\bg1.png", bg},
      {L"RES\\MAINWND\\BG1.PNG", bg},
      {L"res/mainWnd\\bg1.png", bg},
      {L"res\\mainWnd\\bg1.png ", nullptr},
      {L" MainWnd.xml", nullptr},
      {L"MainWnd.xm", nullptr},
      {L"mainWnd", nullptr},
      {L"", nullptr},
      {L"res\\mainWnd\\installPrg3.png", nullptr},
      {L"res\\common\\minbtn4.png", nullptr},
  };
  for (const Case& c : cases) EXPECT_EQ(Package().Find(c.request), c.expected) << c.request;
  EXPECT_NE(Package().Find(L"ExitTipWnd.xml"), nullptr);
  EXPECT_TRUE(uifw::SkinPackage::NameMatches(L"A\\B.PNG", L"a/b.png"));
  EXPECT_FALSE(uifw::SkinPackage::NameMatches(L"a/b.png", L"a/c.png"));
}

// Tests that bytes that are no 7z archive open nothing.
TEST(SkinPackageTest, RejectsBytesThatAreNoArchive) {
  uifw::SkinPackage package;
  std::string junk(512, 'x');
  EXPECT_FALSE(package.OpenMemory(junk.data(), junk.size()));
  EXPECT_FALSE(package.IsOpen());
  EXPECT_FALSE(package.OpenMemory(nullptr, 0));
  EXPECT_EQ(package.Find(L"mainWnd.xml"), nullptr);
  // A resource that does not exist.
  EXPECT_FALSE(package.OpenResource(::GetModuleHandleW(nullptr), 999, L"ZIPRES"));
  // A truncated copy of the real archive.
  HRSRC res = ::FindResourceW(nullptr, MAKEINTRESOURCEW(147), L"ZIPRES");
  ASSERT_NE(res, nullptr);
  const char* bytes = static_cast<const char*>(::LockResource(::LoadResource(nullptr, res)));
  DWORD size = ::SizeofResource(nullptr, res);
  ASSERT_GT(size, 1000u);
  std::string truncated(bytes, size / 2);
  EXPECT_FALSE(package.OpenMemory(truncated.data(), truncated.size()));
}

// Tests that the resource is stored in Chinese (PRC), as the package reader asks first.
TEST(SkinPackageTest, ResourceLanguageIsChinesePrc) {
  EXPECT_NE(::FindResourceExW(nullptr, L"ZIPRES", MAKEINTRESOURCEW(147), 2052), nullptr);
  EXPECT_NE(::FindResourceExW(nullptr, RT_GROUP_ICON, MAKEINTRESOURCEW(145), 2052), nullptr);
}

// Tests that every image decodes with alpha at the size its role fixes.
TEST(SkinPackageTest, ImagesHaveTheirFixedSizes) {
  ASSERT_TRUE(Package().IsOpen());
  struct Image {
    std::wstring name;
    int width, height;
  };
  std::vector<Image> images;
  for (int i = 1; i <= 4; ++i) images.push_back({L"res/mainWnd/bg" + std::to_wstring(i) + L".png", 600, 400});
  images.push_back({L"res/mainWnd/logo.png", 230, 50});
  for (int i = 1; i <= 3; ++i) {
    std::wstring n = std::to_wstring(i);
    images.push_back({L"res/mainWnd/installBtn" + n + L".png", 200, 46});
    images.push_back({L"res/mainWnd/experienceBtn" + n + L".png", 200, 46});
    images.push_back({L"res/mainWnd/backBtn" + n + L".png", 64, 30});
    images.push_back({L"res/mainWnd/chDirBtn" + n + L".png", 81, 36});
    images.push_back({L"res/common/minbtn" + n + L".png", 24, 24});
    images.push_back({L"res/common/closebtn" + n + L".png", 24, 24});
    images.push_back({L"res/common/closebtnM_" + n + L".png", 24, 24});
  }
  images.push_back({L"res/mainWnd/installDirEdit.png", 340, 36});
  images.push_back({L"res/mainWnd/Cb1.png", 15, 14});
  images.push_back({L"res/mainWnd/Cb2.png", 15, 14});
  images.push_back({L"res/mainWnd/customeBtn1.png", 16, 16});
  images.push_back({L"res/mainWnd/customeBtn2.png", 16, 16});
  images.push_back({L"res/mainWnd/tipLbl.png", 120, 36});
  images.push_back({L"res/mainWnd/finished.png", 80, 80});
  images.push_back({L"res/mainWnd/installPrg1.png", 410, 8});
  images.push_back({L"res/mainWnd/installPrg2.png", 520, 8});
  for (int i = 0; i < 60; ++i) {
    wchar_t name[64];
    swprintf(name, 64, L"res/mainWnd/installBtnAnimate/%.3d.png", i);
    images.push_back({name, 156, 156});
  }
  for (const wchar_t* n : {L"icoWarn", L"icoNetwork", L"icoQuest"}) {
    images.push_back({std::wstring(L"res/MessageBoxWnd/") + n + L".png", 40, 40});
  }
  ASSERT_EQ(images.size(), 98u);
  for (const Image& image : images) {
    const std::string* bytes = Package().Find(image.name);
    ASSERT_NE(bytes, nullptr) << image.name;
    auto decoded = uifw::DecodeImage(*bytes, nullptr);
    ASSERT_NE(decoded, nullptr) << image.name;
    EXPECT_EQ(decoded->width, image.width) << image.name;
    EXPECT_EQ(decoded->height, image.height) << image.name;
  }
  // The animation really moves: consecutive frames differ.
  auto f0 = uifw::DecodeImage(*Package().Find(L"res/mainWnd/installBtnAnimate/000.png"), nullptr);
  auto f1 = uifw::DecodeImage(*Package().Find(L"res/mainWnd/installBtnAnimate/001.png"), nullptr);
  EXPECT_NE(f0->pixels, f1->pixels);
}
