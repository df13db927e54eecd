// Keeps a library folder buildable while it has no sources yet.
