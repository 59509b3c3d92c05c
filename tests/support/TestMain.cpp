#include <windows.h>

#include <gtest/gtest.h>

int wmain(int argc, wchar_t** argv) {
  // A crashing test must fail, not wait on a dialog.
  ::SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
