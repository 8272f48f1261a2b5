// A "PASSWORD.CPL" that the dynamic loader finds by that name (the saver
// window test puts its folder on the search path), so that the password
// code's Windows 95 family gates can be seen natively, where no such
// component exists. It approves every close.
extern "C" int VerifyScreenSavePwd(void*) {
  return 1;
}
