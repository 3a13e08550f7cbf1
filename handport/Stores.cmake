# The record stores (contacts, schedule, to-do) and the resource caches of the phone-access library.
target_sources(Handport PRIVATE
  PhoneBookStore.cpp PhoneBookTransfer.cpp RecordBlocks.cpp ResourceCache.cpp ScheduleStore.cpp StoreFields.cpp
  StoreTransfer.cpp ToDoStore.cpp)

tolvar_test(handport_store_tests LABEL unit
  SOURCES tests/support/FlashFilePhone.cpp tests/ResourceCacheStoreTest.cpp tests/ScheduleStoreTest.cpp
          tests/ToDoStoreTest.cpp tests/PhoneBookStoreTest.cpp
  DEPS Handport handport_test_support base_testing phonesim_testing)

# Through the link service's own core to the simulated phone; the whole stores take a while.
tolvar_test(handport_store_e2e_tests LABEL e2e TIMEOUT 600
  SOURCES tests/e2e/RecordStoreRoundTripTest.cpp
  DEPS Handport handport_test_support handport_service_host phonesim_testing)
