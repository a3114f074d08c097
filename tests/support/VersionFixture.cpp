// A program that does nothing but carry a version record (1.2.0.5), for
// the tests of the version readers.
int main()
{
    return 0;
}
