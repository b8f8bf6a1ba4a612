@echo off
rem Tarnwick opens this file about eight seconds after the game has started through SFSE.
echo %date% %time% start_high_priority.bat ran>> "%~dp0start_high_priority.log"
%SystemRoot%\System32\WindowsPowerShell\v1.0\powershell.exe -NoProfile -NonInteractive -Command "Get-Process Starfield -ErrorAction SilentlyContinue | ForEach-Object { $_.PriorityClass = 'High' }"
