// Nothing of its own: the library exists to build the tests' shared precompiled header.
