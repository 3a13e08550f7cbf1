# The phone object's own record arrays: the whole-phone read and write, the phone data file and
# the record encoders behind both. Progress goes to a window as posted messages.
target_sources(Handport PRIVATE
  PhoneDataFile.cpp PhoneDeviceWholePhone.cpp PhoneEntries.cpp PhoneMediaItems.cpp PhoneRecordCodec.cpp
  WholePhone.cpp)
target_link_libraries(Handport PRIVATE platform::user)

tolvar_test(handport_wholephone_tests LABEL unit
  SOURCES tests/WholePhoneTest.cpp tests/PhoneDataFileTest.cpp tests/support/FlashFilePhone.cpp
  DEPS Handport handport_test_support phonesim_testing platform::user platform::registry base_testing)

# Through the link service's own core to the simulated phone: whole phones up and down, and a
# pulled cable.
tolvar_test(handport_wholephone_e2e_tests LABEL e2e TIMEOUT 900
  SOURCES tests/e2e/WholePhoneRoundTripTest.cpp tests/support/LinkServiceHost.cpp
  DEPS Handport handport_test_support linkwell_core phonesim_testing platform::user)
