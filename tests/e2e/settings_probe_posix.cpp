// Natively the settings go through our own ini code, which the table holds
// from the start.
void PrepareSettingsPlatform()
{
}
