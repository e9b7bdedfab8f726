# The packaged alerting rules and dashboard, checked with Prometheus's promtool.
set(exporter_packaging ${PROJECT_SOURCE_DIR}/packaging/exporter)
add_test(NAME rules_check COMMAND promtool check rules ${exporter_packaging}/zelt6380-rules.yml)
add_test(NAME rules_test COMMAND promtool test rules zelt6380-rules.test.yml
  WORKING_DIRECTORY ${exporter_packaging})
add_test(NAME dashboard COMMAND ${CMAKE_CURRENT_LIST_DIR}/check-dashboard.py ${exporter_packaging}/zelt6380-dashboard.json)
