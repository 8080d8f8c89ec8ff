// The decoder library's all-phone search keeps its last segment list past the decoder's end (about
// 20 bytes per recognised phone); that is its leak, not ours, so the leak checker is told to skip it.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libsphinxbase.so\nleak:libpocketsphinx.so\n";
}
