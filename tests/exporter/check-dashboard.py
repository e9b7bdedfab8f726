#!/usr/bin/env python3
"""check-dashboard.py DASHBOARD: the dashboard imports with a Prometheus data
source chosen at import, offers the plant variable, every panel query is
valid PromQL over the exporter's metrics only, and the lamps of plant and
rectifiers both count among the alarms."""
import json
import re
import subprocess
import sys
import tempfile

METRICS = {
    "zelt_dc_output_volts", "zelt_load_current_amperes", "zelt_battery_current_amperes",
    "zelt_battery_temperature_celsius", "zelt_rack_temperature_celsius", "zelt_battery_block_volts",
    "zelt_rectifier_output_volts", "zelt_rectifier_output_current_amperes",
    "zelt_rectifier_temperature_celsius", "zelt_rectifier_ac_input_volts", "zelt_rectifier_present",
    "zelt_alarm", "zelt_rectifier_alarm", "zelt_setting_volts", "zelt_setting_amperes", "zelt_charge_mode",
    "zelt_discharge_test_active", "zelt_battery_verdict", "zelt_battery_next_test_timestamp_seconds",
    "zelt_plant_up", "zelt_last_record_timestamp_seconds", "zelt_frames_received_total",
    "zelt_frames_bad_checksum_total", "zelt_line_reopens_total", "zelt_exporter_build_info",
}
DATASOURCE = {"type": "prometheus", "uid": "${DS_PROMETHEUS}"}


def fail(message):
    sys.exit(f"FAIL: {message}")


with open(sys.argv[1]) as f:
    dashboard = json.load(f)
if [i["name"] for i in dashboard["__inputs"]] != ["DS_PROMETHEUS"]:
    fail("the data source input is not DS_PROMETHEUS alone")
variables = {v["name"]: v for v in dashboard["templating"]["list"]}
if variables.get("plant", {}).get("definition") != "label_values(zelt_plant_up, plant)":
    fail("no plant variable over zelt_plant_up")

exprs = []
for panel in dashboard["panels"]:
    title = panel["title"]
    if panel["type"] not in ("timeseries", "stat") or panel["datasource"] != DATASOURCE:
        fail(f"panel {title}: type {panel['type']}, data source {panel['datasource']}")
    if not panel["targets"]:
        fail(f"panel {title} has no query")
    for target in panel["targets"]:
        expr = target["expr"]
        if target["datasource"] != DATASOURCE or '{plant=~"$plant"' not in expr:
            fail(f"panel {title}: {expr} does not follow the data source and plant choice")
        unknown = set(re.findall(r"\bzelt_\w+", expr)) - METRICS
        if unknown:
            fail(f"panel {title}: unknown metrics {sorted(unknown)}")
        exprs.append(expr.replace("$plant", ".*"))
used = {m for e in exprs for m in re.findall(r"\bzelt_\w+", e)}
if not {"zelt_alarm", "zelt_rectifier_alarm"} <= used:
    fail("the alarm lamps of the plant or of its rectifiers show in no panel")

# promtool parses a recording rule's expression: a rules file of one rule per
# query checks them all.
with tempfile.NamedTemporaryFile("w", suffix=".yml") as rules:
    json.dump({"groups": [{"name": "dashboard", "rules": [
        {"record": f"dashboard:query{i}", "expr": e} for i, e in enumerate(exprs)]}]}, rules)
    rules.flush()
    if subprocess.run(["promtool", "check", "rules", rules.name]).returncode != 0:
        fail("a panel query is not valid PromQL")
print(f"dashboard ok: {len(dashboard['panels'])} panels, {len(exprs)} queries")
