corvallen_tests(Platform)
corvallen_tests(Model)
corvallen_tests(Devices)
