/* A library that does nothing: it exists to carry a version resource. */
__declspec(dllexport) int vlver_sample_entry(void)
{
    return 0;
}
