// keeps a library with no other sources linkable
