// filled in with the golden panels
